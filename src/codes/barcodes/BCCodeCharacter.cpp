#include "codes/barcodes/BCCodeCharacter.h"

#include <cxxabi.h>
#include <typeinfo>

namespace ql {

BCCodeCharacter::BCCodeCharacter(const BCBarString& bars, bool marker)
    : m_barString(bars)
    , m_marker(marker)
{
}

void BCCodeCharacter::enumerateBarsUsingBlock(const std::function<void(BCBarKind, bool, size_t, bool&)>& block) const
{
    barString().enumerateBarsUsingBlock([&](BCBarKind bar, size_t index, bool& stop) {
        block(bar, bar != BCBar::Space, index, stop);
    });
}

QString BCCodeCharacter::description() const
{
    int status = 0;
    const char* mangled = typeid(*this).name();
    char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    QString name = QString::fromLatin1(status == 0 && demangled ? demangled : mangled);
    std::free(demangled);
    name.remove(QStringLiteral("ql::"));
    return QStringLiteral("<%1 bars='%2'>").arg(name, StringFromBCBarString(barString()));
}

} // namespace ql
