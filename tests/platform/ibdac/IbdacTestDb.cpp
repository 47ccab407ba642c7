#include "IbdacTestDb.h"

#include "Qel.Ibdac.Query.h"
#include "Qel.Ibdac.SQL.h"

#include <firebird/Interface.h>
#include <ibase.h>

#include <QRegularExpression>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

void CreateDatabase(const QString& aFileName) {
  using namespace Firebird;
  IMaster* lMaster = fb_get_master_interface();
  IStatus* lStatus = lMaster->getStatus();
  ThrowStatusWrapper s(lStatus);
  IProvider* lProvider = lMaster->getDispatcher();
  IXpbBuilder* lDpb = nullptr;
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
  }
  if (lDpb)
    lDpb->dispose();
  lProvider->release();
  lStatus->dispose();
}

} // namespace

TTestDatabase::TTestDatabase(const QString& aSchema)
    : FFileName(FDir.path() + QStringLiteral("/test.fdb")) {
  CreateDatabase(FFileName);
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
  TIBCSQL lSql(nullptr);
  lSql.SetConnection(lConnection.get());
  static const QRegularExpression cEnd(QStringLiteral(";\\s*(\\n|$)"));
  for (const QString& lStatement : aStatements.split(cEnd, Qt::SkipEmptyParts)) {
    if (lStatement.trimmed().isEmpty())
      continue;
    lSql.SQL().SetText(lStatement);
    lSql.Execute();
  }
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
