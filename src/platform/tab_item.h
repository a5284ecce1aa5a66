#pragma once
// A page of a tab view that keeps its label while it is out of the view:
// QTabWidget::removeTab forgets the label, and the property panel removes
// and inserts its pages all the time, relabelling some of them.
#include <QPointer>
#include <QString>
#include <QWidget>

class QTabWidget;

namespace platform {

class TabItem {
public:
    TabItem(QWidget* page, const QString& label);
    ~TabItem();
    TabItem(const TabItem&) = delete;
    TabItem& operator=(const TabItem&) = delete;

    QWidget* view() const { return m_page; }
    QString label() const { return m_label; }
    // Relabels the item, in the tab view too when it is shown there.
    void setLabel(const QString& label);

    // Index in the tab view, -1 when not shown.
    int indexIn(const QTabWidget* tabs) const;
    // Inserts the page at the index (clamped); nothing when already there.
    void insertInto(QTabWidget* tabs, int index);
    void addTo(QTabWidget* tabs);
    void removeFrom(QTabWidget* tabs);

private:
    QPointer<QWidget> m_page; // owned while out of a tab view
    QString m_label;
    QTabWidget* m_shownIn = nullptr;
};

} // namespace platform
