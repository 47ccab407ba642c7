#include "QelTestDatabase.h"

#include "Qel.Ibdac.Query.h"
#include "Qel.Ibdac.SQL.h"
#include "Qel.Ibdac.Transaction.h"

#include <firebird/Interface.h>
#include <ibase.h>

#include <QFile>
#include <QRegularExpression>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

bool CreateEmbeddedDatabase(const QString& aFileName) {
  using namespace Firebird;
  IMaster* lMaster = fb_get_master_interface();
  IStatus* lStatus = lMaster->getStatus();
  ThrowStatusWrapper s(lStatus);
  IProvider* lProvider = lMaster->getDispatcher();
  IXpbBuilder* lDpb = nullptr;
  bool lResult = true;
  try {
    lDpb = lMaster->getUtilInterface()->getXpbBuilder(&s, IXpbBuilder::DPB, nullptr, 0);
    lDpb->insertString(&s, isc_dpb_user_name, "SYSDBA");
    lDpb->insertInt(&s, isc_dpb_sql_dialect, 3);
    lDpb->insertString(&s, isc_dpb_set_db_charset, "UTF8");
    lDpb->insertInt(&s, isc_dpb_page_size, 8192);
    IAttachment* lAttachment = lProvider->createDatabase(
        &s, aFileName.toUtf8().constData(), lDpb->getBufferLength(&s), lDpb->getBuffer(&s));
    lAttachment->detach(&s);
  } catch (const FbException& e) {
    char lText[1024];
    lMaster->getUtilInterface()->formatStatus(lText, sizeof lText, e.getStatus());
    ADD_FAILURE() << "creating " << aFileName.toStdString() << ": " << lText;
    lResult = false;
  }
  if (lDpb)
    lDpb->dispose();
  lProvider->release();
  lStatus->dispose();
  return lResult;
}

TTestDatabase::TTestDatabase(const QString& aSchema)
    : FFileName(FDir.path() + QStringLiteral("/test.fdb")) {
  CreateEmbeddedDatabase(FFileName);
  if (!aSchema.isEmpty())
    Exec(aSchema);
}

std::unique_ptr<TIBCConnection> TTestDatabase::Connect(bool aAutoCommit) const {
  auto lConnection = std::make_unique<TIBCConnection>(nullptr);
  lConnection->SetDatabase(FFileName);
  lConnection->SetUsername(QStringLiteral("SYSDBA"));
  lConnection->SetAutoCommit(aAutoCommit);
  lConnection->Connect();
  return lConnection;
}

void TTestDatabase::Exec(const QString& aStatements) const {
  auto lConnection = Connect();
  RunSqlScript(*lConnection, aStatements);
}

std::unique_ptr<TTestDatabase> TTestDatabase::WithAppSchema() {
  return std::make_unique<TTestDatabase>(AppSchemaScript());
}

void RunSqlScript(TIBCConnection& aConnection, const QString& aScript) {
  static const QRegularExpression cSetTerm(QStringLiteral("^SET\\s+TERM\\s+(\\S+)\\s+(\\S+)\\s*$"),
                                           QRegularExpression::CaseInsensitiveOption);
  TIBCTransaction lTransaction(nullptr);
  lTransaction.SetDefaultConnection(&aConnection);
  TIBCSQL lSql(nullptr);
  lSql.SetConnection(&aConnection);
  lSql.SetTransaction(&lTransaction);
  lSql.SetParamCheck(false);
  QString lTerminator = QStringLiteral(";");
  QString lStatement;
  const auto lRun = [&](const QString& aText) {
    const QString lText = aText.trimmed();
    if (lText.isEmpty() || lText.compare(QStringLiteral("COMMIT"), Qt::CaseInsensitive) == 0)
      return;
    lSql.SQL().SetText(lText);
    if (!lTransaction.Active())
      lTransaction.StartTransaction();
    lSql.Execute();
    lTransaction.Commit();
  };
  for (const QString& lLine : aScript.split(u'\n')) {
    const QString lTrimmed = lLine.trimmed();
    if (lStatement.trimmed().isEmpty() && lTrimmed.startsWith(QStringLiteral("--")))
      continue;
    if (const auto lMatch = cSetTerm.match(lTrimmed); lMatch.hasMatch()) {
      lTerminator = lMatch.captured(1);
      lStatement.clear();
      continue;
    }
    lStatement += lLine + u'\n';
    if (lTrimmed.endsWith(lTerminator)) {
      lStatement = lStatement.trimmed();
      lStatement.chop(lTerminator.size());
      lRun(lStatement);
      lStatement.clear();
    }
  }
  lRun(lStatement);
}

QString AppSchemaScript() {
  QFile lFile(QStringLiteral(QEL_SQL_DIR "/schema.sql"));
  if (!lFile.open(QIODevice::ReadOnly)) {
    ADD_FAILURE() << "cannot read " << lFile.fileName().toStdString();
    return QString();
  }
  return QString::fromUtf8(lFile.readAll());
}

void FillDokument(TIBCConnection& aConnection, int aCount) {
  RunSqlScript(
      aConnection,
      QStringLiteral("SET TERM ^ ;\n"
                     "EXECUTE BLOCK AS\n"
                     "DECLARE i INTEGER = 0;\n"
                     "BEGIN\n"
                     "  WHILE (i < %1) DO BEGIN\n"
                     "    INSERT INTO DOKUMENT (DATEINAME, PFADNAME, BEZEICHNUNG, CRE_DAT)\n"
                     "    VALUES ('doc_' || :i || '.pdf', 'folder_' || MOD(:i, 100) || '/',\n"
                     "            'Dokument ' || :i,\n"
                     "            DATEADD(:i MINUTE TO TIMESTAMP '2024-01-01 00:00:00'));\n"
                     "    i = i + 1;\n"
                     "  END\n"
                     "END\n")
          .arg(aCount));
}

QString TTestDatabase::Scalar(const QString& aSql) const {
  auto lConnection = Connect();
  TIBCQuery lQuery(nullptr);
  lQuery.SetConnection(lConnection.get());
  lQuery.SQL().SetText(aSql);
  lQuery.Open();
  return lQuery.Fields(0)->AsString();
}

int ClosedLoopbackPort() {
  const int lSocket = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in lAddress{};
  lAddress.sin_family = AF_INET;
  lAddress.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  lAddress.sin_port = 0;
  socklen_t lLength = sizeof lAddress;
  int lPort = 0;
  if (::bind(lSocket, reinterpret_cast<sockaddr*>(&lAddress), sizeof lAddress) == 0 &&
      ::getsockname(lSocket, reinterpret_cast<sockaddr*>(&lAddress), &lLength) == 0)
    lPort = ntohs(lAddress.sin_port);
  ::close(lSocket);
  return lPort;
}
