// libzip round trip: a deflated text entry and a stored binary entry come back byte-exact.
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <zip.h>

#include <string>

namespace {

std::string ReadEntry(zip_t* aZip, zip_uint64_t aIndex, zip_uint64_t aSize) {
  zip_file_t* lFile = zip_fopen_index(aZip, aIndex, 0);
  if (!lFile)
    return "<cannot open entry>";
  std::string lData(aSize, '\0');
  const zip_int64_t lRead = zip_fread(lFile, lData.data(), aSize);
  // A further read must report the end of the entry.
  char lExtra = 0;
  const zip_int64_t lMore = zip_fread(lFile, &lExtra, 1);
  zip_fclose(lFile);
  if (lRead != static_cast<zip_int64_t>(aSize) || lMore != 0)
    return "<short or long read>";
  return lData;
}

} // namespace

TEST(SmokeZip, DeflatedAndStoredEntriesRoundTrip) {
  QTemporaryDir lDir;
  ASSERT_TRUE(lDir.isValid());
  const std::string lPath = lDir.filePath(QStringLiteral("smoke.zip")).toStdString();

  std::string lText;
  for (int i = 0; i < 200; ++i)
    lText += "Line " + std::to_string(i) + ": the quick brown fox jumps over the lazy dog\n";
  std::string lBinary;
  for (int i = 0; i < 1024; ++i)
    lBinary.push_back(static_cast<char>(i % 7 == 0 ? 0 : (i * 37) & 0xFF));
  ASSERT_NE(lBinary.find('\0'), std::string::npos);

  int lError = 0;
  zip_t* lZip = zip_open(lPath.c_str(), ZIP_CREATE | ZIP_EXCL, &lError);
  ASSERT_NE(lZip, nullptr) << "zip_open create failed, error " << lError;

  zip_source_t* lTextSource = zip_source_buffer(lZip, lText.data(), lText.size(), 0);
  ASSERT_NE(lTextSource, nullptr);
  const zip_int64_t lTextIndex =
      zip_file_add(lZip, "docs/readme.txt", lTextSource, ZIP_FL_ENC_UTF_8);
  if (lTextIndex < 0)
    zip_source_free(lTextSource);
  ASSERT_GE(lTextIndex, 0) << zip_strerror(lZip);
  ASSERT_EQ(zip_set_file_compression(lZip, lTextIndex, ZIP_CM_DEFLATE, 9), 0) << zip_strerror(lZip);

  zip_source_t* lBinSource = zip_source_buffer(lZip, lBinary.data(), lBinary.size(), 0);
  ASSERT_NE(lBinSource, nullptr);
  const zip_int64_t lBinIndex = zip_file_add(lZip, "data.bin", lBinSource, ZIP_FL_ENC_UTF_8);
  if (lBinIndex < 0)
    zip_source_free(lBinSource);
  ASSERT_GE(lBinIndex, 0) << zip_strerror(lZip);
  ASSERT_EQ(zip_set_file_compression(lZip, lBinIndex, ZIP_CM_STORE, 0), 0) << zip_strerror(lZip);

  // The buffers must stay alive until zip_close, which writes the archive.
  ASSERT_EQ(zip_close(lZip), 0) << zip_strerror(lZip);

  lZip = zip_open(lPath.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &lError);
  ASSERT_NE(lZip, nullptr) << "zip_open read failed, error " << lError;
  EXPECT_EQ(zip_get_num_entries(lZip, 0), 2);

  zip_stat_t lStat;
  ASSERT_EQ(zip_stat(lZip, "docs/readme.txt", 0, &lStat), 0) << zip_strerror(lZip);
  EXPECT_STREQ(zip_get_name(lZip, lStat.index, 0), "docs/readme.txt");
  EXPECT_EQ(lStat.comp_method, ZIP_CM_DEFLATE);
  EXPECT_EQ(lStat.size, lText.size());
  EXPECT_LT(lStat.comp_size, lStat.size / 4) << "the text should really be compressed";
  EXPECT_EQ(ReadEntry(lZip, lStat.index, lStat.size), lText);

  ASSERT_EQ(zip_stat(lZip, "data.bin", 0, &lStat), 0) << zip_strerror(lZip);
  EXPECT_STREQ(zip_get_name(lZip, lStat.index, 0), "data.bin");
  EXPECT_EQ(lStat.comp_method, ZIP_CM_STORE);
  EXPECT_EQ(lStat.size, lBinary.size());
  EXPECT_EQ(lStat.comp_size, lBinary.size());
  EXPECT_EQ(ReadEntry(lZip, lStat.index, lStat.size), lBinary);

  zip_close(lZip);
}
