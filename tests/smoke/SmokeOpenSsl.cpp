// OpenSSL digests: SHA-256 from the default provider, Whirlpool from the legacy provider.
#include <gtest/gtest.h>

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <string>

namespace {

std::string Hex(const unsigned char* aData, unsigned aSize) {
  static const char cDigits[] = "0123456789abcdef";
  std::string lResult;
  for (unsigned i = 0; i < aSize; ++i) {
    lResult.push_back(cDigits[aData[i] >> 4]);
    lResult.push_back(cDigits[aData[i] & 0xF]);
  }
  return lResult;
}

// The hex digest of aText, or an empty text when the digest fails.
std::string Digest(const EVP_MD* aMd, const std::string& aText) {
  unsigned char lOut[EVP_MAX_MD_SIZE];
  unsigned lSize = 0;
  if (EVP_Digest(aText.data(), aText.size(), lOut, &lSize, aMd, nullptr) != 1)
    return {};
  return Hex(lOut, lSize);
}

std::string LastError() {
  char lText[256] = {};
  ERR_error_string_n(ERR_get_error(), lText, sizeof(lText));
  return lText;
}

} // namespace

TEST(SmokeOpenSsl, Sha256OfAbc) {
  EVP_MD* lMd = EVP_MD_fetch(nullptr, "SHA256", nullptr);
  ASSERT_NE(lMd, nullptr) << LastError();
  EXPECT_EQ(EVP_MD_get_size(lMd), 32);
  EXPECT_EQ(Digest(lMd, "abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EVP_MD_free(lMd);

  // The built-in shortcut must agree with the fetched one.
  EXPECT_EQ(Digest(EVP_sha256(), "abc"),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

// Whirlpool is only in the legacy provider of OpenSSL 3. Its absence is reported as a skip,
// not a failure; when present, it must give the known digest.
TEST(SmokeOpenSsl, WhirlpoolFromLegacyProvider) {
  // Loading "legacy" explicitly switches off the automatic default provider, so load both.
  OSSL_PROVIDER* lLegacy = OSSL_PROVIDER_load(nullptr, "legacy");
  OSSL_PROVIDER* lDefault = OSSL_PROVIDER_load(nullptr, "default");
  ASSERT_NE(lDefault, nullptr) << LastError();
  if (!lLegacy) {
    GTEST_SKIP() << "OpenSSL legacy provider not available: " << LastError();
  }

  EVP_MD* lMd = EVP_MD_fetch(nullptr, "WHIRLPOOL", nullptr);
  if (!lMd) {
    const std::string lError = LastError();
    OSSL_PROVIDER_unload(lLegacy);
    GTEST_SKIP() << "Whirlpool not available: " << lError;
  }
  EXPECT_EQ(EVP_MD_get_size(lMd), 64);
  EXPECT_EQ(Digest(lMd, "abc"), "4e2448a4c6f486bb16b6562c73b4020bf3043e3a731bce721ae1b303d97e6d4c"
                                "7181eebdb6c57e277d0e34957114cbd6c797fc9d95d8b582d225292076d4eef5");
  std::printf("Whirlpool available from the OpenSSL legacy provider\n");
  EVP_MD_free(lMd);

  // The default provider must still serve the common digests alongside.
  EXPECT_EQ(Digest(EVP_sha256(), "abc"),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");

  // The default provider stays loaded: the rest of the process may still need it.
  OSSL_PROVIDER_unload(lLegacy);
}
