#include "HelpViewer.h"

#include "modTools.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

HelpViewer::HelpViewer(QWidget* owner) : QWidget(owner, Qt::Window), m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpViewer"));
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(640, 520);
}

void HelpViewer::showPage(const QString& filePath)
{
    m_browser->setSource(QUrl::fromLocalFile(filePath));
    setWindowTitle(m_browser->documentTitle().isEmpty() ? modTools::TextById(3000)
                                                        : m_browser->documentTitle());
    show();
    raise();
    activateWindow();
}

QString HelpViewer::currentPage() const
{
    return m_browser->source().toLocalFile();
}
