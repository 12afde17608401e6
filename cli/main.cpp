// relaytab-run: runs a command set, a script or the commands given against an instrument without a
// window, on the same engine as the window program.
#include "RunOptions.h"
#include "Runner.h"
#include "Settings.h"
#include "modGlobal.h"
#include "modTools.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("relaytab-run"));
    QCoreApplication::setApplicationVersion(QStringLiteral(RELAYTAB_VERSION));

    RunOptions::Options options;
    QString message;
    switch (RunOptions::Parse(QCoreApplication::arguments(), options, message)) {
    case RunOptions::Parsed::Help:
    case RunOptions::Parsed::Version:
        std::fputs(qPrintable(message + u'\n'), stdout);
        return RunOptions::Success;
    case RunOptions::Parsed::Error:
        std::fprintf(stderr, "relaytab-run: %s\n", qPrintable(message));
        return RunOptions::UsageError;
    case RunOptions::Parsed::Run:
        break;
    }

    // Read only: the runner writes into the data folder only for its journal.
    modGlobal::Profile = options.profile;
    modGlobal::DataFolder = modTools::DetermineDataFolder();
    RunOptions::ApplyStored(options, Settings::SetupFile());
    modGlobal::LanguageIndex = quint8(*options.language);
    modGlobal::LanguageOffset = *options.language * 10000;

    QStringList commands;
    if (!RunOptions::LoadCommands(options, commands, message)) {
        std::fprintf(stderr, "relaytab-run: %s\n", qPrintable(message));
        return RunOptions::UsageError;
    }
    return Runner::Run(options, commands);
}
