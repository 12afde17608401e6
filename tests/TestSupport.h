// Shared pieces of the tests that need no widget: a private data folder and data-driven rows.
#pragma once

#include "modTools.h"

#include <QtTest>

#include <initializer_list>
#include <utility>

// Points the data folder into a fresh temporary folder while it lives; create it before the main
// window, whose start-up determines the data folder.
class TempDataFolder
{
public:
    TempDataFolder() : m_previous(qgetenv("XDG_DATA_HOME"))
    {
        qputenv("XDG_DATA_HOME", m_dir.path().toLocal8Bit());
        QDir().mkpath(path());
    }
    ~TempDataFolder()
    {
        if (qgetenv("XDG_DATA_HOME") != m_dir.path().toLocal8Bit())
            return;
        if (m_previous.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", m_previous);
    }

    // The data folder as the program sees it.
    QString path() const { return m_dir.path() + QLatin1String("/Vordane/Relaytab/"); }
    QString setupFile() const { return path() + QLatin1String("Setup.ini"); }

    // Writes keys into Setup.ini, e.g. {{"Connect", "0"}, {"Port", "1234"}}.
    void writeSetup(std::initializer_list<std::pair<const char*, QString>> keys) const
    {
        for (const auto& [key, value] : keys)
            modTools::WriteIniString(QStringLiteral("SETTINGS"), QLatin1String(key), value, setupFile());
    }

    QString readSetup(const char* key) const
    {
        QString value;
        modTools::ReadIniString(QStringLiteral("SETTINGS"), QLatin1String(key), QStringLiteral("<missing>"),
                                value, 512, setupFile());
        return value;
    }

private:
    QByteArray m_previous;
    QTemporaryDir m_dir;
};

// Data-driven tests in one line: columns<int, QString>("id", "text"); row("name", 1, "a").
template <typename... T, typename... Names> void columns(Names... names)
{
    (QTest::addColumn<T>(names), ...);
}
template <typename... T> void row(const char* name, const T&... values)
{
    (QTest::newRow(name) << ... << values);
}
// A column of the current row, as QFETCH gives it, where a test uses it once.
template <typename T> T fetch(const char* name)
{
    return *static_cast<T*>(QTest::qData(name, qMetaTypeId<T>()));
}
