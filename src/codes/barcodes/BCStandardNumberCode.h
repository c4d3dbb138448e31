// The common base of the ISBN, ISMN and ISSN codes: an EAN-13 that keeps the
// number's printed form as its title and never fills its quiet zones.
#pragma once

#include "codes/barcodes/BCEAN13Code.h"

namespace ql {

class BCStandardNumberCode : public BCEAN13Code {
public:
    bool allowsFillingOfEmptyQuietZones() const override { return false; }

    const QString& titleText() const { return m_titleText; }
    void setTitleText(const QString& title) { m_titleText = title; }

protected:
    BCStandardNumberCode(Key key, QString content) : BCEAN13Code(key, std::move(content)) {}

    // The EAN-13 for `content` with `title`, or the EAN-13 content rule's error.
    template <class Code>
    static Result<std::unique_ptr<Code>> initWithContentAndTitle(const QString& content, const QString& title)
    {
        Result<std::unique_ptr<Code>> code = initWithContent<Code>(content);
        if (code)
            code.value()->setTitleText(title);
        return code;
    }

private:
    QString m_titleText;
};

} // namespace ql
