#include "Qel.Cipher.h"

// Whirlpool lives only in OpenSSL's legacy provider for the EVP interface; its direct
// functions are deprecated but part of every libcrypto 3, and need no provider.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/whrlpool.h>

#include <cstring>

namespace {

struct TCtxFree {
  void operator()(EVP_CIPHER_CTX* aCtx) const { EVP_CIPHER_CTX_free(aCtx); }
};
using TCtx = std::unique_ptr<EVP_CIPHER_CTX, TCtxFree>;

// A single-block AES context without padding.
TCtx NewBlockContext(const QByteArray& aKey, bool aEncrypt) {
  TCtx lCtx(EVP_CIPHER_CTX_new());
  if (!lCtx ||
      EVP_CipherInit_ex(lCtx.get(), EVP_aes_256_ecb(), nullptr,
                        reinterpret_cast<const unsigned char*>(aKey.constData()), nullptr,
                        aEncrypt ? 1 : 0) != 1 ||
      EVP_CIPHER_CTX_set_padding(lCtx.get(), 0) != 1)
    return nullptr;
  return lCtx;
}

bool RunBlock(EVP_CIPHER_CTX* aCtx, const unsigned char* aIn, unsigned char* aOut) {
  int lLength = 0;
  return EVP_CipherUpdate(aCtx, aOut, &lLength, aIn, TRijndaelCBCx::cBlockSize) == 1 &&
         lLength == TRijndaelCBCx::cBlockSize;
}

void AppendBigEndian(QByteArray& aData, uint32_t aValue) {
  for (int lShift = 24; lShift >= 0; lShift -= 8)
    aData.append(static_cast<char>((aValue >> lShift) & 0xFF));
}

} // namespace

struct TRijndaelCBCx::TContexts {
  TCtx Encrypt;
  TCtx Decrypt;
};

TRijndaelCBCx::TRijndaelCBCx(const QByteArray& aKey) : FContexts(std::make_unique<TContexts>()) {
  if (aKey.size() != cKeySize)
    return;
  FContexts->Encrypt = NewBlockContext(aKey, true);
  FContexts->Decrypt = NewBlockContext(aKey, false);
  std::memset(FFeedback, 0xFF, cBlockSize);
  FValid = FContexts->Encrypt && FContexts->Decrypt && EncryptBlock(FFeedback, FFeedback);
  std::memcpy(FMac, FFeedback, cBlockSize);
}

bool TRijndaelCBCx::AddToMAC(const unsigned char* aData, qsizetype aSize) {
  for (qsizetype i = 0; i < aSize; ++i) {
    FMacBuffer[FMacFill++] = aData[i];
    if (FMacFill == cBlockSize) {
      for (int k = 0; k < cBlockSize; ++k)
        FMac[k] ^= FMacBuffer[k];
      if (!EncryptBlock(FMac, FMac))
        return false;
      FMacFill = 0;
    }
  }
  return true;
}

TRijndaelCBCx::~TRijndaelCBCx() = default;

bool TRijndaelCBCx::EncryptBlock(const unsigned char* aIn, unsigned char* aOut) {
  return RunBlock(FContexts->Encrypt.get(), aIn, aOut);
}

bool TRijndaelCBCx::DecryptBlock(const unsigned char* aIn, unsigned char* aOut) {
  return RunBlock(FContexts->Decrypt.get(), aIn, aOut);
}

bool TRijndaelCBCx::Encode(const QByteArray& aSource, QByteArray& aResult) {
  aResult.resize(aSource.size());
  if (!FValid)
    return false;
  const auto* lIn = reinterpret_cast<const unsigned char*>(aSource.constData());
  auto* lOut = reinterpret_cast<unsigned char*>(aResult.data());
  if (!AddToMAC(lIn, aSource.size()))
    return false;
  qsizetype lPos = 0;
  unsigned char lBlock[cBlockSize];
  for (; lPos + cBlockSize <= aSource.size(); lPos += cBlockSize) {
    for (int i = 0; i < cBlockSize; ++i)
      lBlock[i] = lIn[lPos + i] ^ FFeedback[i];
    if (!EncryptBlock(lBlock, FFeedback))
      return false;
    std::memcpy(lOut + lPos, FFeedback, cBlockSize);
  }
  if (lPos < aSource.size()) {
    if (!EncryptBlock(FFeedback, FFeedback))
      return false;
    for (qsizetype i = 0; lPos + i < aSource.size(); ++i)
      lOut[lPos + i] = lIn[lPos + i] ^ FFeedback[i];
  }
  return true;
}

bool TRijndaelCBCx::Decode(const QByteArray& aSource, QByteArray& aResult) {
  aResult.resize(aSource.size());
  if (!FValid)
    return false;
  const auto* lIn = reinterpret_cast<const unsigned char*>(aSource.constData());
  auto* lOut = reinterpret_cast<unsigned char*>(aResult.data());
  qsizetype lPos = 0;
  unsigned char lBlock[cBlockSize];
  for (; lPos + cBlockSize <= aSource.size(); lPos += cBlockSize) {
    if (!DecryptBlock(lIn + lPos, lBlock))
      return false;
    for (int i = 0; i < cBlockSize; ++i)
      lOut[lPos + i] = lBlock[i] ^ FFeedback[i];
    std::memcpy(FFeedback, lIn + lPos, cBlockSize);
  }
  if (lPos < aSource.size()) {
    if (!EncryptBlock(FFeedback, FFeedback))
      return false;
    for (qsizetype i = 0; lPos + i < aSource.size(); ++i)
      lOut[lPos + i] = lIn[lPos + i] ^ FFeedback[i];
  }
  return AddToMAC(lOut, aResult.size());
}

QByteArray TRijndaelCBCx::CalcMAC() {
  if (!FValid)
    return QByteArray();
  // The pending bytes, padded, close the chain on a copy: encoding may go on afterwards.
  unsigned char lMac[cBlockSize];
  std::memcpy(lMac, FMac, cBlockSize);
  for (int k = 0; k < cBlockSize; ++k) {
    const unsigned char lPad = k < FMacFill ? FMacBuffer[k] : (k == FMacFill ? 0x80 : 0x00);
    lMac[k] ^= lPad;
  }
  if (!EncryptBlock(lMac, lMac))
    return QByteArray();
  return QByteArray(reinterpret_cast<const char*>(lMac), cBlockSize);
}

QByteArray TCipherUtils::Whirlpool(const QByteArray& aData) {
  unsigned char lDigest[WHIRLPOOL_DIGEST_LENGTH];
  WHIRLPOOL(aData.constData(), static_cast<size_t>(aData.size()), lDigest);
  return QByteArray(reinterpret_cast<const char*>(lDigest), WHIRLPOOL_DIGEST_LENGTH);
}

QByteArray TCipherUtils::KDFx(const QByteArray& aData, const QByteArray& aSeed, int aMaskSize,
                              uint32_t aIndex) {
  QByteArray lResult;
  for (uint32_t lCounter = 0; lResult.size() < aMaskSize; ++lCounter) {
    QByteArray lInput;
    AppendBigEndian(lInput, lCounter);
    AppendBigEndian(lInput, aIndex);
    lResult += Whirlpool(lInput + aSeed + aData);
  }
  return lResult.left(aMaskSize);
}

QByteArray TCipherUtils::RandomBytes(int aCount) {
  QByteArray lResult(aCount, '\0');
  if (aCount > 0 && RAND_bytes(reinterpret_cast<unsigned char*>(lResult.data()), aCount) != 1)
    return QByteArray();
  return lResult;
}

QByteArray TCipherUtils::ToBase64(const QByteArray& aData) {
  return aData.toBase64();
}

bool TCipherUtils::FromBase64(const QByteArray& aText, QByteArray& aData) {
  QByteArray lText = aText;
  lText.removeIf([](char c) { return c == '\r' || c == '\n' || c == ' ' || c == '\t'; });
  const auto lDecoded =
      QByteArray::fromBase64Encoding(lText, QByteArray::AbortOnBase64DecodingErrors);
  if (!lDecoded)
    return false;
  aData = *lDecoded;
  return true;
}
