#pragma once
// The template-name dialog. The editor's template export opens it with both
// fields empty (a new template: a taken name is replaced after a Yes); the
// template browser's rename opens it with the old name in both (another
// taken name is refused). OK leaves the accepted name in
// export_template_name.
#include <QObject>

class QDialog;
class QLineEdit;

class Export_Template : public QObject {
    Q_OBJECT
public:
    Export_Template();
    ~Export_Template() override;

    void OKPressed();
    void CancelPressed();

    QDialog* window = nullptr;
    QLineEdit* template_name = nullptr;
    QLineEdit* template_passed = nullptr;
};
