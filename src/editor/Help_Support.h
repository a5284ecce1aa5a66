#pragma once
// The help window run by the help command. Minimal until the small dialogs
// land: a title and a close button that ends the modal run with 1.
#include <QDialog>

class Help_Support : public QDialog {
    Q_OBJECT
public:
    explicit Help_Support(QWidget* parent = nullptr);
};
