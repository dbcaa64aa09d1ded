#include "layout.hpp"

#include <gtest/gtest.h>

namespace installer {
namespace {

TEST(InstallLayout, AllFilesLieInProgramsTarvelaSorvelo) {
  const InstallLayout layout = install_layout("/home/ada/.local");
  EXPECT_EQ(layout.folder, "/home/ada/.local/Programs/Tarvela Sorvelo");
  EXPECT_EQ(layout.app, "/home/ada/.local/Programs/Tarvela Sorvelo/TarvelaSorveloApp.exe");
  EXPECT_EQ(layout.loader, "/home/ada/.local/Programs/Tarvela Sorvelo/WebView2Loader.dll");
  EXPECT_EQ(layout.icon, "/home/ada/.local/Programs/Tarvela Sorvelo/icona.ico");
  EXPECT_EQ(layout.uninstaller, "/home/ada/.local/Programs/Tarvela Sorvelo/disinstalla.exe");
  EXPECT_EQ(layout.stamp, "/home/ada/.local/Programs/Tarvela Sorvelo/versione.txt");
}

TEST(DataLayout, TheAppsDataLiesOutsideTheInstallFolder) {
  const DataLayout data = data_layout("/home/ada/.local");
  EXPECT_EQ(data.parent, "/home/ada/.local/Tarvela Sorvelo");
  EXPECT_EQ(data.folder, "/home/ada/.local/Tarvela Sorvelo/dati");
}

TEST(InstallLayout, JoinsWithoutDoublingOrLeadingSeparators) {
  EXPECT_EQ(install_layout("/data/").folder, "/data/Programs/Tarvela Sorvelo");
  EXPECT_EQ(install_layout("").folder, "Programs/Tarvela Sorvelo");
}

TEST(StagedPath, ReplacesTheExtensionWithNuovo) {
  EXPECT_EQ(staged_path("/d/TarvelaSorveloApp.exe"), "/d/TarvelaSorveloApp.nuovo");
  EXPECT_EQ(staged_path("/d/WebView2Loader.dll"), "/d/WebView2Loader.nuovo");
  EXPECT_EQ(staged_path("/d/icona.ico"), "/d/icona.nuovo");
  EXPECT_EQ(staged_path("/d/archivio.tar.gz"), "/d/archivio.tar.nuovo");
}

TEST(StagedPath, AppendsNuovoWhenTheNameHasNoExtension) {
  EXPECT_EQ(staged_path("/d/LEGGIMI"), "/d/LEGGIMI.nuovo");
  EXPECT_EQ(staged_path("/cartella.vecchia/LEGGIMI"), "/cartella.vecchia/LEGGIMI.nuovo");
  EXPECT_EQ(staged_path("/d/.profilo"), "/d/.profilo.nuovo");
}

}  // namespace
}  // namespace installer
