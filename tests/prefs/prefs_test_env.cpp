// Scratch home and file helpers of the settings tests.
#include "prefs_test_env.h"

#include "support/test_files.h"

#include <QFile>

namespace camlog::prefs::test {
namespace {

std::optional<QByteArray> saveVariable(const char *name)
{
    if (!qEnvironmentVariableIsSet(name)) {
        return std::nullopt;
    }
    return qgetenv(name);
}

void restoreVariable(const char *name, const std::optional<QByteArray> &value)
{
    if (value) {
        qputenv(name, *value);
    } else {
        qunsetenv(name);
    }
}

} // namespace

void PrefsTest::SetUp()
{
    const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_root = camlog::test::scratchDir(std::string("prefs_") + info->test_suite_name() + "_" + info->name());
    std::filesystem::create_directories(m_root / "home");
    std::filesystem::create_directories(m_root / "config");
    std::filesystem::create_directories(m_root / "prog");
    m_oldHome = saveVariable("HOME");
    m_oldConfig = saveVariable("XDG_CONFIG_HOME");
    qputenv("HOME", QByteArray::fromStdString((m_root / "home").string()));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((m_root / "config").string()));
    m_env = PrefsEnvironment::forProgram((m_root / "prog" / "camlog").string());
}

void PrefsTest::TearDown()
{
    restoreVariable("HOME", m_oldHome);
    restoreVariable("XDG_CONFIG_HOME", m_oldConfig);
}

QByteArray utf16leFile(const QString &text)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

QByteArray readFileBytes(const std::string &path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

void writeFileBytes(const std::string &path, const QByteArray &bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

} // namespace camlog::prefs::test
