// libgcab round trip: two files packed into an MSZIP cabinet, loaded again and extracted
// byte-exact.
// GLib before Qt: Qt defines "signals" as a macro, which breaks the GIO headers.
#include <libgcab.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace {

// Unreferences a GObject when it goes out of scope.
template <class T> struct TGRef {
  T* FObject = nullptr;
  TGRef() = default;
  explicit TGRef(T* aObject) : FObject(aObject) {}
  ~TGRef() {
    if (FObject)
      g_object_unref(FObject);
  }
  TGRef(const TGRef&) = delete;
  TGRef& operator=(const TGRef&) = delete;
  T* get() const { return FObject; }
};

// Frees a GError when it goes out of scope and tells its message.
struct TGError {
  GError* FError = nullptr;
  ~TGError() { g_clear_error(&FError); }
  GError** out() {
    g_clear_error(&FError);
    return &FError;
  }
  std::string message() const { return FError ? FError->message : "no error"; }
};

bool WriteFile(const QString& aName, const QByteArray& aData) {
  QFile lFile(aName);
  return lFile.open(QIODevice::WriteOnly) && lFile.write(aData) == aData.size();
}

QByteArray ReadFile(const QString& aName) {
  QFile lFile(aName);
  if (!lFile.open(QIODevice::ReadOnly))
    return QByteArrayLiteral("<missing>");
  return lFile.readAll();
}

gboolean ExtractAll(GCabFile*, gpointer) {
  return TRUE;
}

} // namespace

TEST(SmokeCab, MsZipCabinetRoundTrip) {
  QTemporaryDir lDir;
  ASSERT_TRUE(lDir.isValid());
  const QString lSourceDir = lDir.filePath(QStringLiteral("source"));
  const QString lTargetDir = lDir.filePath(QStringLiteral("target"));
  ASSERT_TRUE(QDir().mkpath(lSourceDir));
  ASSERT_TRUE(QDir().mkpath(lTargetDir));

  // The text is compressible; the binary part is larger than one 32 KiB data block and
  // holds zero bytes.
  QByteArray lText;
  for (int i = 0; i < 300; ++i)
    lText += "Line " + QByteArray::number(i) + ": cabinet smoke test text\r\n";
  QByteArray lBinary;
  for (int i = 0; i < 80000; ++i)
    lBinary.append(static_cast<char>(i % 5 == 0 ? 0 : (i * 131 + i / 256) & 0xFF));
  ASSERT_TRUE(WriteFile(lSourceDir + QStringLiteral("/readme.txt"), lText));
  ASSERT_TRUE(WriteFile(lSourceDir + QStringLiteral("/data.bin"), lBinary));

  const std::string lCabName = lDir.filePath(QStringLiteral("smoke.cab")).toStdString();
  TGError lError;

  // Build and write the cabinet.
  {
    TGRef<GCabCabinet> lCabinet(gcab_cabinet_new());
    TGRef<GCabFolder> lFolder(gcab_folder_new(GCAB_COMPRESSION_MSZIP));
    const std::pair<const char*, QString> lEntries[] = {
        {"readme.txt", lSourceDir + QStringLiteral("/readme.txt")},
        {"data.bin", lSourceDir + QStringLiteral("/data.bin")}};
    for (const auto& [lName, lPath] : lEntries) {
      TGRef<GFile> lSource(g_file_new_for_path(lPath.toStdString().c_str()));
      TGRef<GCabFile> lFile(gcab_file_new_with_file(lName, lSource.get()));
      ASSERT_TRUE(gcab_folder_add_file(lFolder.get(), lFile.get(), FALSE, nullptr, lError.out()))
          << lError.message();
    }
    ASSERT_TRUE(gcab_cabinet_add_folder(lCabinet.get(), lFolder.get(), lError.out()))
        << lError.message();

    TGRef<GFile> lCabFile(g_file_new_for_path(lCabName.c_str()));
    TGRef<GFileOutputStream> lOut(
        g_file_replace(lCabFile.get(), nullptr, FALSE, G_FILE_CREATE_NONE, nullptr, lError.out()));
    ASSERT_NE(lOut.get(), nullptr) << lError.message();
    ASSERT_TRUE(gcab_cabinet_write_simple(lCabinet.get(), G_OUTPUT_STREAM(lOut.get()), nullptr,
                                          nullptr, nullptr, lError.out()))
        << lError.message();
    ASSERT_TRUE(g_output_stream_close(G_OUTPUT_STREAM(lOut.get()), nullptr, lError.out()))
        << lError.message();
  }

  // The file starts with the cabinet signature and is smaller than its contents.
  const QByteArray lCab = ReadFile(QString::fromStdString(lCabName));
  ASSERT_TRUE(lCab.startsWith("MSCF"));
  EXPECT_LT(lCab.size(), lText.size() + lBinary.size());

  // Load it again, check what it holds and extract it.
  TGRef<GCabCabinet> lCabinet(gcab_cabinet_new());
  TGRef<GFile> lCabFile(g_file_new_for_path(lCabName.c_str()));
  TGRef<GFileInputStream> lIn(g_file_read(lCabFile.get(), nullptr, lError.out()));
  ASSERT_NE(lIn.get(), nullptr) << lError.message();
  ASSERT_TRUE(gcab_cabinet_load(lCabinet.get(), G_INPUT_STREAM(lIn.get()), nullptr, lError.out()))
      << lError.message();

  GPtrArray* lFolders = gcab_cabinet_get_folders(lCabinet.get());
  ASSERT_NE(lFolders, nullptr);
  ASSERT_EQ(lFolders->len, 1u);
  auto* lFolder = static_cast<GCabFolder*>(g_ptr_array_index(lFolders, 0));
  EXPECT_EQ(gcab_folder_get_comptype(lFolder), GCAB_COMPRESSION_MSZIP);
  GSList* lFiles = gcab_folder_get_files(lFolder);
  EXPECT_EQ(g_slist_length(lFiles), 2u);
  g_slist_free(lFiles);
  GCabFile* lTextEntry = gcab_folder_get_file_by_name(lFolder, "readme.txt");
  GCabFile* lBinaryEntry = gcab_folder_get_file_by_name(lFolder, "data.bin");
  ASSERT_NE(lTextEntry, nullptr);
  ASSERT_NE(lBinaryEntry, nullptr);
  EXPECT_EQ(gcab_file_get_size(lTextEntry), static_cast<guint32>(lText.size()));
  EXPECT_EQ(gcab_file_get_size(lBinaryEntry), static_cast<guint32>(lBinary.size()));

  TGRef<GFile> lTarget(g_file_new_for_path(lTargetDir.toStdString().c_str()));
  ASSERT_TRUE(gcab_cabinet_extract_simple(lCabinet.get(), lTarget.get(), ExtractAll, nullptr,
                                          nullptr, lError.out()))
      << lError.message();

  EXPECT_EQ(ReadFile(lTargetDir + QStringLiteral("/readme.txt")), lText);
  EXPECT_EQ(ReadFile(lTargetDir + QStringLiteral("/data.bin")), lBinary);
  EXPECT_EQ(QDir(lTargetDir).entryList(QDir::Files).size(), 2);
}
