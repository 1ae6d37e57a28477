#include "common/sha256.h"

#include <openssl/evp.h>

QString sha256Hex(const QByteArray &bytes)
{
    // OpenSSL's digest uses the processor's SHA instructions where it has them: several times
    // as fast as a portable one, which an archive's check of thousands of runs is made of.
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_Digest(bytes.constData(), size_t(bytes.size()), digest, &size, EVP_sha256(), nullptr) != 1)
        qFatal("SHA-256 is not available from libcrypto");
    return QString::fromLatin1(
        QByteArray::fromRawData(reinterpret_cast<const char *>(digest), int(size)).toHex());
}
