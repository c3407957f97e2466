// A scratch home for the settings tests: HOME and XDG_CONFIG_HOME point into the build tree while a test runs.
#pragma once

#include "prefs/prefs_environment.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include <filesystem>
#include <optional>
#include <string>

namespace camlog::prefs::test {

// Base fixture: a fresh folder per test with home/, config/ (XDG_CONFIG_HOME) and
// prog/camlog as the running program; the previous variables come back afterwards.
class PrefsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::filesystem::path m_root;
    PrefsEnvironment m_env;

private:
    std::optional<QByteArray> m_oldHome;
    std::optional<QByteArray> m_oldConfig;
};

// The text as UTF-16 LE with the mark FF FE (line ends as given), built independently of the code under test.
QByteArray utf16leFile(const QString &text);
QByteArray readFileBytes(const std::string &path);
void writeFileBytes(const std::string &path, const QByteArray &bytes);

} // namespace camlog::prefs::test
