// The program's globals: the application shell (start-up, settings, text table, data folder)
// and the hand-over values of the command assistant live here.
#pragma once

#include <QString>

namespace modGlobal {

// Data folder path, always ending in "/" so that file names can be appended directly.
extern QString DataFolder;
// The profile chosen with --profile, empty for none; its data folder is a folder of its own.
extern QString Profile;
// Another running window holds the data folder: this one saves nothing into it.
extern bool DataFolderShared;
// Device type 0..3 restored at start-up; afterwards the selected row of cboDevice is in effect.
extern quint8 DeviceType;
// 0 German, 1 English.
extern quint8 LanguageIndex;
// 0 or 10000, added to every text id.
extern qint32 LanguageOffset;
// Path of the help index; context pages sit beside it.
extern QString HelpFile;

// Command assistant hand-over.
extern bool AssistantFromCommandLine;
extern QString AssistantCommand;
extern QString AssistantDescription;
// Folder of the file last chosen in the assistant, ending in "/"; empty until the first choice.
extern QString LastPathFolder;

} // namespace modGlobal
