#include "codes/barcodes/BCPharmacodeOneTrack.h"

#include "codes/barcodes/BCPharmaOneTrackContentCodeCharacter.h"
#include "codes/barcodes/BCStandardNumberRules.h"

namespace ql {

Status BCPharmacodeOneTrack::canEncodeContent(const QString& content)
{
    const bool digits = std::all_of(content.begin(), content.end(), BCIsDecimalDigit);
    const quint64 value = BCLeadingIntegerValue(content);
    if (!digits || value < 3 || value > 131070)
        return BCLocalizedError("Contents cannot be encoded in %@, only integer values between 3 and 131070 are supported",
                                {barcodeDescription()});
    return {};
}

BCCodeCharacters BCPharmacodeOneTrack::makeCodeCharacters() const
{
    return {std::make_shared<BCPharmaOneTrackContentCodeCharacter>(qint64(BCLeadingIntegerValue(content())))};
}

} // namespace ql
