// ISBN, ISMN and ISSN carried as EAN-13.
#include "BarcodeTesting.h"

#include "codes/barcodes/BCISBNCode.h"
#include "codes/barcodes/BCISMNCode.h"
#include "codes/barcodes/BCISSNCode.h"

using namespace barcodetest;
using namespace ql;

TEST(StandardNumberCodes, ISBN13AndISBN10GiveTheSameEAN)
{
    // Group 0, registrant 306: a real English-language book.
    const auto thirteen = made<BCISBNCode>("978-0-306-40615-7");
    EXPECT_EQ(thirteen->content(), "9780306406157");
    EXPECT_EQ(thirteen->titleText(), "ISBN 978-0-306-40615-7");
    const auto ten = made<BCISBNCode>("0-306-40615-2");
    EXPECT_EQ(ten->content(), "9780306406157");
    EXPECT_EQ(ten->titleText(), "ISBN 0-306-40615-2");
    const auto withX = made<BCISBNCode>("0-8044-2957-X");
    EXPECT_EQ(withX->content(), "9780804429573");
    const auto lowerX = made<BCISBNCode>("0-8044-2957-x");
    EXPECT_EQ(lowerX->titleText(), "ISBN 0-8044-2957-x");
    EXPECT_FALSE(thirteen->allowsFillingOfEmptyQuietZones());
    EXPECT_EQ(thirteen->captionTextForZone(BCCaptionZone::LeftQuiet, {}), "9");
}

TEST(StandardNumberCodes, ISBNGroupsLengthsAndCheckDigits)
{
    EXPECT_TRUE(BCISBNCode::createWithPrefix("978", "5", "12", "345678").ok());
    EXPECT_EQ(BCISBNCode::createWithPrefix("978", "6", "12", "345678").error().message,
              "Registration Group '6' is invalid, must be between 99900 and 99999");
    EXPECT_TRUE(BCISBNCode::createWithPrefix("979", "10", "12", "34567").ok());
    EXPECT_TRUE(BCISBNCode::createWithPrefix("979", "11", "12", "34567").ok());
    EXPECT_EQ(BCISBNCode::createWithPrefix("979", "12", "12", "34567").error().message,
              "Registration Group '12' is invalid, must be between 10 and 11");
    EXPECT_EQ(BCISBNCode::createWithPrefix("978", "0", "306", "4061").error().message,
              "The string is not a valid ISBN13 string supported by ISBN10 and ISBN13");
    EXPECT_EQ(BCISBNCode::createWithPrefix(QString(), "0", "306", "4061").error().message,
              "The string is not a valid ISBN10 string supported by ISBN10 and ISBN13");
    EXPECT_EQ(BCISBNCode::createWithPrefix("978", "0", "12345678", "0", "0").error().message,
              "Registrant '12345678' is invalid, must be between 1 and 7 digits in length");
    EXPECT_EQ(refusal<BCISBNCode>("978-0-306-4061-7"), "The ISBN13 string does not have 13 characters");
    EXPECT_EQ(refusal<BCISBNCode>("978-0-306-406157-7"), "The ISBN13 string does not have 13 characters");
    EXPECT_EQ(refusal<BCISBNCode>("0-306-4061-2"), "The ISBN10 string does not have 10 characters");
    EXPECT_EQ(refusal<BCISBNCode>("not an isbn"), "The string is not a valid ISBN10 or ISBN13 string supported by ISBN10 and ISBN13");
    EXPECT_EQ(refusal<BCISBNCode>("978-0-306-40615-8"), "The check digit '8' is not correct for this ISBN13 string");
    EXPECT_EQ(refusal<BCISBNCode>("0-306-40615-3"), "Check digit '3' is not correct for this ISBN10 string");
    EXPECT_EQ(BCISBNCode::generateISBN10CheckDigit(u"000000000"), "0");
    EXPECT_EQ(BCISBNCode::generateISBN10CheckDigit(u"080442957"), "X");
}

TEST(StandardNumberCodes, ISMN)
{
    const auto ismn = made<BCISMNCode>("979-0-2600-0043-8");
    EXPECT_EQ(ismn->content(), "9790260000438");
    EXPECT_EQ(ismn->titleText(), "ISMN 979-0-2600-0043-8");
    EXPECT_EQ(refusal<BCISMNCode>("979-0-260-00043-1"),
              "Issuer element '260' is invalid, must be <= 099 and >= 1000 and between 3 and 8 digits in length");
    EXPECT_EQ(refusal<BCISMNCode>("979-0-2600-0043-9"), "The check digit '9' is not correct for this ISMN string");
    EXPECT_EQ(refusal<BCISMNCode>("979-0-2600-00433-9"),
              "Issuer element '2600' and item element '00433' combined must consist of 8 digits in total");
    EXPECT_EQ(refusal<BCISMNCode>("M-2600-0043-8"), "The string is not a valid ISMN string supported by BCISMNCode");
}

TEST(StandardNumberCodes, ISSN)
{
    const auto issn = made<BCISSNCode>("0317-8471");
    EXPECT_EQ(issn->content(), "9770317847001");
    EXPECT_EQ(issn->titleText(), "ISSN 0317-8471");
    EXPECT_EQ(made<BCISSNCode>("2049-3630")->content(), "9772049363002");
    const auto variants = BCISSNCode::createWithISSNString("0317847", "1", "1", "5");
    ASSERT_TRUE(variants.ok());
    EXPECT_EQ(variants->get()->content().left(12), "977031784715");
    EXPECT_EQ(BCISSNCode::createWithISSNString("0317847", "1", "12", QString()).error().message,
              "Variant one must be identical to one numeric character");
    EXPECT_EQ(BCISSNCode::createWithISSNString("0317847", "1", "a", QString()).error().message,
              "Variant one must be a numeric character");
    EXPECT_EQ(BCISSNCode::createWithISSNString("0317847", "1", QString(), "").error().message,
              "Variant two must be identical to one alphanumeric character");
    EXPECT_EQ(BCISSNCode::createWithISSNString("031784", "1", QString(), QString()).error().message,
              "ISSN only supports 7 character ISSN strings, excluding the check digit");
    EXPECT_EQ(BCISSNCode::createWithISSNString("03178a7", "1", QString(), QString()).error().message,
              "ISSN does not support alpha-numeric characters");
    EXPECT_EQ(refusal<BCISSNCode>("0317-8472"), "Check digit '2' is not correct for this ISSN string");
    // A first part shorter than four characters is refused, not read past its end.
    EXPECT_EQ(refusal<BCISSNCode>("1-2-1234-5679"), "The string is not a valid ISSN string supported by ISSN");
    EXPECT_EQ(refusal<BCISSNCode>("031-78471"), "The string is not a valid ISSN string supported by ISSN");
    EXPECT_EQ(BCISSNCode::generateISSNCheckDigit(u"0000000"), "0");
    EXPECT_EQ(BCISSNCode::generateISSNCheckDigit(u"0000006"), "X");
}
