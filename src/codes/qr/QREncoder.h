// Entry to the QR encoder: text to module matrix, module matrix to image, and
// an AES-encrypted variant. Class functions only; each call owns its encoder.
#pragma once

#include "codes/qr/DataMatrix.h"
#include "platform/Error.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace ql {

class QREncoder {
public:
    QREncoder() = delete;

    // Levels 0 L, 1 M, 2 Q, 3 H; version 1-40 for at least that version, 0
    // or below for the smallest that fits; mask 0-7, or -1 to choose by
    // penalty. A failed encoding gives a matrix of dimension 0.
    static DataMatrix encodeWithECLevel(int level, int version, const QString& string, int mask = -1);
    // Encodes the bytes up to the first zero byte.
    static DataMatrix encodeCStringWithECLevel(int level, int version, const char* cstring, int mask = -1);
    // Encodes every byte, zero bytes included.
    static DataMatrix encodeBytesWithECLevel(int level, int version, const QByteArray& bytes, int mask = -1);

    // Encodes the AES-256 ciphertext of the string (all of it, whatever
    // bytes it holds). Fails on a passphrase that cannot be a key.
    static Result<DataMatrix> encodeWithECLevel(int level, int version, const QString& string,
                                                const QString& passphrase);

    // AES-256-CBC with PKCS#7 padding, a zero IV, and the passphrase's ASCII
    // bytes padded with zeros as the key; at most 32 characters.
    static Result<QByteArray> aesEncryptString(const QString& string, const QString& passphrase);
    static Result<QString> aesDecryptString(const QByteArray& data, const QString& passphrase);

    // A square RGBA image of `dimension` pixels: whole pixels per module,
    // the left-over pixels as a transparent margin split around the symbol.
    // Null for an empty matrix, a dimension smaller than the matrix, or an
    // image too large to address.
    static QImage renderDataMatrix(const DataMatrix& matrix, int dimension);

    static inline const QString invalidPassphraseDomain = QStringLiteral("invalid passphrase exception");
    static inline const QString errorDomain = QStringLiteral("QREncoder");
};

} // namespace ql
