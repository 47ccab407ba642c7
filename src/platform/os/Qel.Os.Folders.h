#pragma once
// Machine-wide folders of the platform.

#include <QString>
#include <optional>

// The machine-wide application data folder (/var/lib), with a trailing delimiter; tests
// point it into their temporary folder with SetCommonAppDataFolderOverride.
QString CommonAppDataFolder();
void SetCommonAppDataFolderOverride(std::optional<QString> aFolder);
