// libcurl is built with TLS and accepts the options we rely on; no transfer is made.
#include <gtest/gtest.h>

#include <curl/curl.h>

#include <cstring>

TEST(SmokeCurl, HasTlsBackendAndAcceptsTlsOptions) {
  ASSERT_EQ(curl_global_init(CURL_GLOBAL_DEFAULT), CURLE_OK);

  const curl_version_info_data* lInfo = curl_version_info(CURLVERSION_NOW);
  ASSERT_NE(lInfo, nullptr);
  EXPECT_NE(lInfo->features & CURL_VERSION_SSL, 0) << "libcurl has no TLS support";
  ASSERT_NE(lInfo->ssl_version, nullptr);
  EXPECT_GT(std::strlen(lInfo->ssl_version), 0u);
  std::printf("libcurl %s, TLS backend %s\n", lInfo->version, lInfo->ssl_version);

  CURL* lCurl = curl_easy_init();
  ASSERT_NE(lCurl, nullptr);
  EXPECT_EQ(curl_easy_setopt(lCurl, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2)),
            CURLE_OK);
  EXPECT_EQ(curl_easy_setopt(lCurl, CURLOPT_SSL_VERIFYPEER, 1L), CURLE_OK);
  EXPECT_EQ(curl_easy_setopt(lCurl, CURLOPT_SSL_VERIFYHOST, 2L), CURLE_OK);
  curl_easy_cleanup(lCurl);

  curl_global_cleanup();
}
