#pragma once
// The block cipher, hash and text format behind the framework's encrypted texts, over
// OpenSSL: AES (Rijndael, 256-bit key) in CBCx mode, Whirlpool, the KDFx key derivation and
// Base64.
//
// CBCx is cipher-block chaining whose feedback starts as the encrypted filler block (all
// bytes 0xFF) when no initialisation vector is given; a final partial block is XORed with the
// encrypted feedback, so the cipher text is exactly as long as the plain text. The MAC is a
// CBC-MAC over the plain text under the same key (padded with 0x80 and zero bytes), so it is
// the same for encoding and decoding and changes with any damaged byte of the cipher text.

#include <QByteArray>
#include <cstdint>
#include <memory>

class TRijndaelCBCx {
public:
  static constexpr int cBlockSize = 16;
  static constexpr int cKeySize = 32;

  // aKey must hold cKeySize bytes; Valid tells whether the cipher could be set up.
  explicit TRijndaelCBCx(const QByteArray& aKey);
  ~TRijndaelCBCx();
  TRijndaelCBCx(const TRijndaelCBCx&) = delete;
  TRijndaelCBCx& operator=(const TRijndaelCBCx&) = delete;

  bool Valid() const { return FValid; }
  // Each call continues the chain of the previous one; false when the cipher fails.
  bool Encode(const QByteArray& aSource, QByteArray& aResult);
  bool Decode(const QByteArray& aSource, QByteArray& aResult);
  // The MAC of everything encoded or decoded so far (cBlockSize bytes); empty on failure.
  QByteArray CalcMAC();

private:
  struct TContexts;
  bool EncryptBlock(const unsigned char* aIn, unsigned char* aOut);
  bool DecryptBlock(const unsigned char* aIn, unsigned char* aOut);
  // Adds plain text to the MAC.
  bool AddToMAC(const unsigned char* aData, qsizetype aSize);

  std::unique_ptr<TContexts> FContexts;
  unsigned char FFeedback[cBlockSize] = {};
  unsigned char FMac[cBlockSize] = {};
  unsigned char FMacBuffer[cBlockSize] = {};
  int FMacFill = 0;
  bool FValid = false;
};

class TCipherUtils {
public:
  // The 64-byte Whirlpool digest.
  static QByteArray Whirlpool(const QByteArray& aData);
  // aMaskSize bytes derived from aData and aSeed: Whirlpool digests of the big-endian block
  // counter (from 0), the big-endian aIndex, aSeed and aData, joined and cut to length.
  static QByteArray KDFx(const QByteArray& aData, const QByteArray& aSeed, int aMaskSize,
                         uint32_t aIndex);
  // Cryptographically strong random bytes; empty when the system source fails.
  static QByteArray RandomBytes(int aCount);
  static QByteArray ToBase64(const QByteArray& aData);
  // Strict MIME Base64 (line breaks and blanks are skipped); false for any other character or
  // wrong padding.
  static bool FromBase64(const QByteArray& aText, QByteArray& aData);
};
