#include "modGlobal.h"

namespace modGlobal {

QString DataFolder;
QString Profile;
bool DataFolderShared = false;
quint8 DeviceType = 0;
quint8 LanguageIndex = 0;
qint32 LanguageOffset = 0;
QString HelpFile;

bool AssistantFromCommandLine = false;
QString AssistantCommand;
QString AssistantDescription;
QString LastPathFolder;

} // namespace modGlobal
