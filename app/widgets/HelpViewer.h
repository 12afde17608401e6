// The program's help window: shows the HTML page of a help context.
#pragma once

#include <QWidget>

class QTextBrowser;

class HelpViewer : public QWidget
{
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* owner);

    void showPage(const QString& filePath);
    QString currentPage() const;

private:
    QTextBrowser* m_browser;
};
