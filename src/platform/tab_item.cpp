#include "platform/tab_item.h"

#include <QTabWidget>

namespace platform {

TabItem::TabItem(QWidget* page, const QString& label)
    : m_page(page)
    , m_label(label)
{
}

TabItem::~TabItem()
{
    // A page out of every tab view has no parent: it is ours to delete.
    if (m_page && !m_page->parent())
        delete m_page.data();
}

void TabItem::setLabel(const QString& label)
{
    m_label = label;
    if (m_shownIn) {
        const int at = indexIn(m_shownIn);
        if (at >= 0)
            m_shownIn->setTabText(at, label);
    }
}

int TabItem::indexIn(const QTabWidget* tabs) const
{
    return (tabs && m_page) ? tabs->indexOf(m_page) : -1;
}

void TabItem::insertInto(QTabWidget* tabs, int index)
{
    if (!tabs || !m_page || indexIn(tabs) >= 0)
        return;
    tabs->insertTab(std::clamp(index, 0, tabs->count()), m_page, m_label);
    m_shownIn = tabs;
}

void TabItem::addTo(QTabWidget* tabs)
{
    if (tabs)
        insertInto(tabs, tabs->count());
}

void TabItem::removeFrom(QTabWidget* tabs)
{
    const int at = indexIn(tabs);
    if (at < 0)
        return;
    tabs->removeTab(at);
    m_page->setParent(nullptr);
    m_page->hide();
    m_shownIn = nullptr;
}

} // namespace platform
