// Text templates filled from a query's current row and from built-in values.
#include "Qel.Rtl.Format.h"
#include "Qel.Shared.StrFunc.h"
#include "QelDbTest.h"

#include <gtest/gtest.h>

namespace {

TEST(TemplateReplace, FillsFieldsAndBuiltInsAndDropsRemarks) {
  const auto lDb = TTestDatabase::WithAppSchema();
  lDb->Exec(QStringLiteral("INSERT INTO APP_SETTINGS (SECTION, IDENT, VAL) VALUES "
                           "('ANSCHRIFT', 'ssName', 'Skischule Alpin');\n"
                           "INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME) VALUES "
                           "(17, 'Brief.docx', '#__CONNECT_PWD# #PFADNAME#');\n"));
  auto lConnection = NewConnection(*lDb);
  lConnection->SetPassword(QStringLiteral("secret"));
  ASSERT_TRUE(lConnection->Open(QString()));
  TQelIBCQuery lQuery(lConnection.get());
  lQuery.SQL().SetText(QStringLiteral("SELECT ID, DATEINAME, PFADNAME FROM DOKUMENT"));
  lQuery.Open();

  const QString lTemplate = QStringLiteral("REM a remark\r\nDokument #id#: #Dateiname#\r\n"
                                           "rem another\nvon #__ssl_name# am #__TODAY#\n"
                                           "#PFADNAME#|#__CONNECT_USER#|#UNKNOWN#");
  EXPECT_EQ(TQelStringFunctions::PerformTemplateReplace(lTemplate, &lQuery, QStringLiteral("#"),
                                                        QStringLiteral("#")),
            QStringLiteral("Dokument 17: Brief.docx\r\nvon Skischule Alpin am %1\r\n"
                           "#__CONNECT_PWD# #PFADNAME#|SYSDBA|#UNKNOWN#")
                .arg(FormatDateTime(QStringLiteral("dddddd"), Date())));

  // Built-ins need a prefix and postfix without lower-case letters.
  EXPECT_EQ(TQelStringFunctions::PerformTemplateReplace(
                lConnection.get(), QStringLiteral("<x__CONNECT_DB> <X__CURRENCY>"),
                QStringLiteral("<x"), QStringLiteral(">")),
            QStringLiteral("<x__CONNECT_DB> <X__CURRENCY>"));
  EXPECT_EQ(TQelStringFunctions::PerformTemplateReplace(
                lConnection.get(), QStringLiteral("[__connect_db][__CURRENCY]"),
                QStringLiteral("["), QStringLiteral("]")),
            lDb->FileName() + FormatSettings().CurrencyString);
}

} // namespace
