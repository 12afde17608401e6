#include "Vocabulary.h"

namespace sim {

namespace {

constexpr qint64 MaxInt32 = 2147483646;

// The queries that device types 1 and 3 share.
const QList<CommandDef> partQueries{
    {"GM", Op::GetMode, nullptr, Fmt::None, 0, 0},
    {"GC", Op::GetDevice, "component", Fmt::Text, 0, 0},
    {"GN", Op::GetDevice, "partno", Fmt::Number, 0, 0},
    {"GP1", Op::GetDevice, "param1", Fmt::Text, 0, 0},
    {"GP2", Op::GetDevice, "param2", Fmt::Text, 0, 0},
    {"GB", Op::GetDevice, "batch", Fmt::Text, 0, 0},
    {"GR", Op::GetDevice, "remark", Fmt::Text, 0, 0},
    {"GCA", Op::GetShared, "group.component", Fmt::Text, 0, 0},
    {"GBA", Op::GetShared, "group.batch", Fmt::Text, 0, 0},
    {"GNA", Op::GetShared, "group.partno", Fmt::Number, 0, 0},
    {"GP1A", Op::GetShared, "group.param1", Fmt::Text, 0, 0},
    {"GP2A", Op::GetShared, "group.param2", Fmt::Text, 0, 0},
    {"GRA", Op::GetShared, "group.remark", Fmt::Text, 0, 0},
};

// The interface has no query for these values in device type 0; they are kept all the same.
const DeviceVocabulary deviceType0{
    0,
    99,
    {0, 1, 2},
    false,
    {
        {"SM", Op::Mode, nullptr, Fmt::None, 0, 0},
        {"SP", Op::SetDevice, "program", Fmt::Number, 0, 31},
        {"CA", Op::SetDevice, "batch", Fmt::Restricted, 0, 63},
        {"CB", Op::SetDevice, "serial", Fmt::Number, 0, MaxInt32},
        {"UF", Op::AckDevice, nullptr, Fmt::Path, 0, 256},
        {"UN", Op::SetShared, "user", Fmt::Text, 0, 20},
        {"XC", Op::Order, nullptr, Fmt::Text, 0, 20000},
        {"RM", Op::SetDevice, "remark", Fmt::Text, 0, 20},
        {"GM", Op::GetMode, nullptr, Fmt::None, 0, 0},
    },
};

const DeviceVocabulary deviceType1{
    0,
    255,
    {-1, 1, 2},
    false,
    QList<CommandDef>{
        {"SM", Op::Mode, nullptr, Fmt::None, 0, 0},
        {"SP", Op::SetDevice, "program", Fmt::Number, 0, 7},
        {"SC", Op::SetDevice, "component", Fmt::Restricted, 0, 32},
        {"SN", Op::SetDevice, "partno", Fmt::Number, 0, MaxInt32},
        {"SP1", Op::SetDevice, "param1", Fmt::Restricted, 0, 32},
        {"SP2", Op::SetDevice, "param2", Fmt::Restricted, 0, 32},
        {"SB", Op::SetDevice, "batch", Fmt::Restricted, 0, 32},
        {"SR", Op::SetDevice, "remark", Fmt::Text, 0, 64},
        {"UF", Op::AckDevice, nullptr, Fmt::Path, 0, 256},
        {"LD", Op::Ack, nullptr, Fmt::Path, 0, 256},
        {"SO", Op::Order, nullptr, Fmt::Text, 0, 20000},
        {"SU", Op::SetShared, "user", Fmt::Text, 0, 32},
        {"SCA", Op::SetShared, "group.component", Fmt::Text, 0, 32},
        {"SNA", Op::SetShared, "group.partno", Fmt::Number, -1, MaxInt32},
        {"SP1A", Op::SetShared, "group.param1", Fmt::Restricted, 0, 32},
        {"SP2A", Op::SetShared, "group.param2", Fmt::Restricted, 0, 32},
        {"SBA", Op::SetShared, "group.batch", Fmt::Restricted, 0, 32},
        {"SRA", Op::SetShared, "group.remark", Fmt::Text, 0, 64},
        {"GP", Op::GetDevice, "program", Fmt::Number, 0, 0},
    } + partQueries,
};

const DeviceVocabulary deviceType2{
    0,
    98,
    {-1, 1, 2},
    true,
    {
        {"SM", Op::Mode, nullptr, Fmt::None, 0, 0},
        {"SU", Op::SetShared, "user", Fmt::Text, 0, 20},
        {"SO", Op::Order, nullptr, Fmt::Interface, 0, 2000},
        {"UF", Op::AckDevice, nullptr, Fmt::Path, 0, 256},
        {"LD", Op::Ack, nullptr, Fmt::Path, 0, 256},
        {"SP", Op::SetDevice, "program", Fmt::Number, 0, 127},
        {"SC", Op::SetDevice, "component", Fmt::Restricted, 0, 64},
        {"SC2", Op::SetDevice, "component2", Fmt::Restricted, 0, 64},
        {"SN", Op::SetDevice, "serial", Fmt::Number, 0, 4294967295},
        {"SN2", Op::SetDevice, "serial2", Fmt::Number, 0, 4294967295},
        {"SP1", Op::SetDevice, "param1", Fmt::Restricted, 0, 64},
        {"SP12", Op::SetDevice, "param1.y2", Fmt::Restricted, 0, 64},
        {"SP2", Op::SetDevice, "param2", Fmt::Restricted, 0, 64},
        {"SP22", Op::SetDevice, "param2.y2", Fmt::Restricted, 0, 64},
        {"SB", Op::SetDevice, "batch", Fmt::Restricted, 0, 64},
        {"SB2", Op::SetDevice, "batch2", Fmt::Restricted, 0, 64},
        {"SR", Op::SetDevice, "remark", Fmt::Restricted, 0, 256},
        {"SR2", Op::SetDevice, "remark2", Fmt::Restricted, 0, 256},
        {"SCA", Op::SetShared, "groupA.component", Fmt::Restricted, 0, 64},
        {"SCB", Op::SetShared, "groupB.component", Fmt::Restricted, 0, 64},
        {"SNA", Op::SetShared, "groupA.serial", Fmt::Number, 0, 4294967295},
        {"SNB", Op::SetShared, "groupB.serial", Fmt::Number, 0, 4294967295},
        {"SP1A", Op::SetShared, "groupA.param1", Fmt::Restricted, 0, 64},
        {"SP2A", Op::SetShared, "groupA.param2", Fmt::Restricted, 0, 64},
        {"SP1B", Op::SetShared, "groupB.param1", Fmt::Restricted, 0, 64},
        {"SP2B", Op::SetShared, "groupB.param2", Fmt::Restricted, 0, 64},
        {"SBA", Op::SetShared, "groupA.batch", Fmt::Restricted, 0, 64},
        {"SBB", Op::SetShared, "groupB.batch", Fmt::Restricted, 0, 64},
        {"SRA", Op::SetShared, "groupA.remark", Fmt::Restricted, 0, 256},
        {"SRB", Op::SetShared, "groupB.remark", Fmt::Restricted, 0, 256},
        {"AGA", Op::Ack, nullptr, Fmt::None, 0, 0},
        {"AGB", Op::Ack, nullptr, Fmt::None, 0, 0},
        {"GM", Op::GetMode, nullptr, Fmt::Number, 1, 3},
        {"GU", Op::GetShared, "user", Fmt::Text, 0, 0},
        {"GP", Op::GetDevice, "program", Fmt::Number, 0, 0},
        {"GC", Op::GetDevice, "component", Fmt::Text, 0, 0},
        {"GC2", Op::GetDevice, "component2", Fmt::Text, 0, 0},
        {"GN", Op::GetDevice, "serial", Fmt::Number, 0, 0},
        {"GN2", Op::GetDevice, "serial2", Fmt::Number, 0, 0},
        {"GP1", Op::GetDevice, "param1", Fmt::Text, 0, 0},
        {"GP12", Op::GetDevice, "param1.y2", Fmt::Text, 0, 0},
        {"GP2", Op::GetDevice, "param2", Fmt::Text, 0, 0},
        {"GP22", Op::GetDevice, "param2.y2", Fmt::Text, 0, 0},
        {"GB", Op::GetDevice, "batch", Fmt::Text, 0, 0},
        {"GB2", Op::GetDevice, "batch2", Fmt::Text, 0, 0},
        {"GR", Op::GetDevice, "remark", Fmt::Text, 0, 0},
        {"GR2", Op::GetDevice, "remark2", Fmt::Text, 0, 0},
        {"GCA", Op::GetShared, "groupA.component", Fmt::Text, 0, 0},
        {"GCB", Op::GetShared, "groupB.component", Fmt::Text, 0, 0},
        {"GNA", Op::GetShared, "groupA.serial", Fmt::Number, 0, 0},
        {"GNB", Op::GetShared, "groupB.serial", Fmt::Number, 0, 0},
        {"GP1A", Op::GetShared, "groupA.param1", Fmt::Text, 0, 0},
        {"GP2A", Op::GetShared, "groupA.param2", Fmt::Text, 0, 0},
        {"GP1B", Op::GetShared, "groupB.param1", Fmt::Text, 0, 0},
        {"GP2B", Op::GetShared, "groupB.param2", Fmt::Text, 0, 0},
        {"GBA", Op::GetShared, "groupA.batch", Fmt::Text, 0, 0},
        {"GBB", Op::GetShared, "groupB.batch", Fmt::Text, 0, 0},
        {"GRA", Op::GetShared, "groupA.remark", Fmt::Text, 0, 0},
        {"GRB", Op::GetShared, "groupB.remark", Fmt::Text, 0, 0},
    },
};

const DeviceVocabulary deviceType3{
    1,
    8,
    {-1, 1},
    false,
    QList<CommandDef>{
        {"SM", Op::Mode, nullptr, Fmt::None, 0, 0},
        {"SC", Op::SetDevice, "component", Fmt::Restricted, 0, 32},
        {"SN", Op::SetDevice, "partno", Fmt::Number, 0, 2147483648},
        {"SP1", Op::SetDevice, "param1", Fmt::Restricted, 0, 32},
        {"SP2", Op::SetDevice, "param2", Fmt::Restricted, 0, 32},
        {"SB", Op::SetDevice, "batch", Fmt::Restricted, 0, 32},
        {"SR", Op::SetDevice, "remark", Fmt::Text, 0, 64},
        {"UF", Op::AckDevice, nullptr, Fmt::Path, 0, 512},
        {"LD", Op::Ack, nullptr, Fmt::Path, 0, 512},
        {"SU", Op::SetShared, "user", Fmt::Text, 0, 20},
        {"SCA", Op::SetShared, "group.component", Fmt::Text, 0, 32},
        {"SNA", Op::SetShared, "group.partno", Fmt::Number, -1, 2147483648},
        {"SP1A", Op::SetShared, "group.param1", Fmt::Restricted, 0, 32},
        {"SP2A", Op::SetShared, "group.param2", Fmt::Restricted, 0, 32},
        {"SBA", Op::SetShared, "group.batch", Fmt::Restricted, 0, 32},
        {"SRA", Op::SetShared, "group.remark", Fmt::Text, 0, 64},
    } + partQueries,
};

} // namespace

const CommandDef* DeviceVocabulary::find(const QByteArray& upperCode) const
{
    for (const CommandDef& def : commands) {
        if (upperCode == def.code)
            return &def;
    }
    return nullptr;
}

const DeviceVocabulary& vocabulary(int deviceType)
{
    switch (deviceType) {
    case 0:
        return deviceType0;
    case 1:
        return deviceType1;
    case 2:
        return deviceType2;
    default:
        return deviceType3;
    }
}

} // namespace sim
