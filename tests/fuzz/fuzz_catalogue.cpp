// Random catalogue entries through the reading of fields and limits and the building of a command.
#include "Catalogue.h"
#include "CommandBuilder.h"
#include "modTools.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = modTools::FromAnsi(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    const Catalogue::Entry entry = Catalogue::ReadEntry(text);
    const int count = Catalogue::ParameterCount(entry);
    if (count < -1 || count > 2)
        std::abort();

    for (const Catalogue::Parameter& p : entry.parameters) {
        const Catalogue::NumberRange range = Catalogue::NumericLimit(p.limit);
        if (range.minimum < Catalogue::LowestNumber || range.minimum > 2147483647LL ||
            range.maximum < Catalogue::LowestNumber || range.maximum > Catalogue::HighestNumber)
            std::abort();
        if (Catalogue::TextLimit(p.format, p.limit) <= 0)
            std::abort();
        Catalogue::LimitText(p.format, p.limit);
        Catalogue::IsAddressName(p.name);
    }

    CommandBuilder builder;
    builder.Choose(text);
    if (builder.Command() != entry.code)
        std::abort();
    for (int press = 0; press < 4 && !builder.IsLastStep(); ++press) {
        builder.NextStep();
        if (builder.Step() > 3)
            std::abort();
        const Catalogue::Parameter p = builder.CurrentParameter();
        if (p.format == QLatin1String("%d"))
            builder.TakeNumber(Catalogue::NumericLimit(p.limit).maximum);
        else
            builder.TakeText(text.left(Catalogue::TextLimit(p.format, p.limit)));
    }
    builder.Note();
    return 0;
}
