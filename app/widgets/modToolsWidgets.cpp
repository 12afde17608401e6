#include "modToolsWidgets.h"

#include "HelpViewer.h"
#include "modGlobal.h"
#include "modTools.h"

#include <QAbstractItemModel>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QTreeView>

#include <algorithm>

namespace modTools {

QWidget* ShowHelp(QWidget* owner, qint32 contextId)
{
    if (modGlobal::HelpFile.isEmpty())
        return nullptr;
    const QFileInfo index(modGlobal::HelpFile);
    const QString page = index.absolutePath() + u'/' + QString::number(contextId) + QLatin1String(".html");
    QWidget* window = owner ? owner->window() : nullptr;
    auto* viewer = window ? window->findChild<HelpViewer*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!viewer)
        viewer = new HelpViewer(window);
    viewer->showPage(QFileInfo::exists(page) ? page : index.absoluteFilePath());
    return viewer;
}

void CheckTextInput(QLineEdit* box, int maximum, QString& last, bool restricted)
{
    const QString text = box->text();
    const QByteArray codes = ToAnsi(text);
    const auto allowed = [restricted](uchar c) {
        if (!restricted)
            return c >= 32 && c <= 126;
        return c == ' ' || c == '-' || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
               (c >= 'a' && c <= 'z');
    };
    const bool clean = std::all_of(codes.cbegin(), codes.cend(), [&](char c) { return allowed(uchar(c)); });
    if (clean && text.size() <= maximum) {
        last = text;
        return;
    }
    box->setText(last);
    box->setCursorPosition(int(last.size()));
}

namespace {

QHeaderView* columnHeader(QAbstractItemView* list)
{
    if (auto* tree = qobject_cast<QTreeView*>(list))
        return tree->header();
    if (auto* table = qobject_cast<QTableView*>(list))
        return table->horizontalHeader();
    return nullptr;
}

} // namespace

void AutoSizeColumns(QAbstractItemView* list, int widthCode)
{
    QHeaderView* header = columnHeader(list);
    if (!header)
        return;
    for (int k = 1; k <= header->count(); ++k)
        SetColumnWidth(list, k, widthCode);
}

void SetColumnWidth(QAbstractItemView* list, int column, int widthCode)
{
    QHeaderView* header = columnHeader(list);
    if (!header || column < 1 || column > header->count())
        return;
    const int index = column - 1;
    int width = widthCode;
    if (widthCode == FitContent || widthCode == FitHeaderAndContent) {
        width = list->sizeHintForColumn(index);
        if (widthCode == FitHeaderAndContent)
            width = std::max(width, header->sectionSizeHint(index));
    }
    if (width > 0)
        header->resizeSection(index, width);
}

} // namespace modTools
