// Random catalogue entries through the reading of fields and limits and the building of a command.
#include "Catalogue.h"
#include "CommandBuilder.h"
#include "FuzzCheck.h"
#include "modTools.h"

using namespace Catalogue;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = modTools::FromAnsi(QByteArrayView(data, qsizetype(size)));
    const Entry entry = ReadEntry(text);
    check(ParameterCount(entry) >= -1 && ParameterCount(entry) <= 2);
    for (const Parameter& p : entry.parameters) {
        const NumberRange range = NumericLimit(p.limit);
        check(range.minimum >= LowestNumber && range.minimum <= 2147483647LL);
        check(range.maximum >= LowestNumber && range.maximum <= HighestNumber);
        check(TextLimit(p.format, p.limit) > 0);
        LimitText(p.format, p.limit);
        IsAddressName(p.name);
    }

    CommandBuilder builder;
    builder.Choose(text);
    check(builder.Command() == entry.code);
    for (int press = 0; press < 4 && !builder.IsLastStep(); ++press) {
        builder.NextStep();
        check(builder.Step() <= 3);
        const Parameter p = builder.CurrentParameter();
        if (p.format == QLatin1String("%d"))
            builder.TakeNumber(NumericLimit(p.limit).maximum);
        else
            builder.TakeText(text.left(TextLimit(p.format, p.limit)));
    }
    builder.Note();
    return 0;
}
