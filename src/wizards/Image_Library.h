#pragma once
// The picture library: a modal picker over the pictures of one resource
// folder. In clip-art mode ("C") a category box lists the folders under
// "LibraryImage" and the browser shows the chosen category's pictures; in
// any other mode the "Background" folder is shown and the box is hidden.
// OK hands back the full path of the chosen picture in `selected_image`.
#include "wizards/Picture_Browser_List.h"

#include <QObject>
#include <QString>

class QComboBox;
class QDialog;
class QLabel;
class QSlider;

class Image_Library : public QObject, public Picture_Browser_List {
    Q_OBJECT
public:
    Image_Library();
    ~Image_Library() override;
    static Image_Library* defaultInstance();

    // Lists the mode's pictures and runs modally: 1 after OK with a readable
    // picture, 0 after Cancel or when an exception ended the opening.
    int Open_Library_Window();

    void OK_Clicked();
    void Cancel_Clicked();
    void comboBoxSelectionDidChange(QComboBox* box);
    void Fill_Combobox();
    void Load_and_fill_backgrounds();
    // "party cards" -> "Party Cards", "BIRTHDAY" -> "Birthday".
    static QString Capitalized(const QString& name);

    QDialog* window = nullptr;
    QLabel* _zoom_label = nullptr;
    QSlider* _zoom_slider = nullptr;
    QComboBox* cat_cmbo_bx = nullptr; // item text capitalised, item data the folder's own name
    QLabel* category_label = nullptr;
    QString control_or_BG = QStringLiteral("C");
    // Kept across openings; Cancel clears it.
    QString selected_image = QStringLiteral("");

protected:
    void Picture_Chosen(const QString& path) override { selected_image = path; }

private:
    void buildWindow();
};
