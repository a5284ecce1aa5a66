#pragma once
// What the start wizard and the template dialogs ask of the main window
// controller, without the wizards depending on the editor. The controller
// installs itself; with no host installed the calls are skipped.
#include <QImage>
#include <QSizeF>
#include <QString>
#include <QStringList>

class EditorHost {
public:
    virtual ~EditorHost() = default;
    // The pattern picture behind the wizard's pages (null: plain colour).
    virtual QImage wizardPatternImage() const = 0;
    // Lets the user open a saved design; 1 when one was loaded.
    virtual int Open_Log_File() = 0;
    // Shows a card size (millimetres) in the size controls.
    virtual void Set_Card_Size_In_Control(const QSizeF& size) = 0;
    // Sets the document's card size (points).
    virtual void Set_Document_Size(const QSizeF& size) = 0;
    // Sizes the canvases to a card size (points).
    virtual void SetDocumentCanvasSize(const QSizeF& size) = 0;
    // The preset size names: category 0 the PVC cards, any other the paper
    // badges.
    virtual QStringList Card_Size_Names(int category) const = 0;
    // A preset's size in millimetres ("H" or "V"; row -1 gives 30 x 30).
    virtual QSizeF Get_My_card_Size(const QString& category, const QString& preset, int list_index) = 0;
    // Opens a user profile form (mode 0, side "": the wizard-time form, which
    // fills both sides' records); 1 on OK.
    virtual int Open_User_Profile_Window(int mode, const QString& load_side) = 0;

    // Millimetres to points (72 per inch).
    static float MM_to_Points_Convert(float value);
};

namespace wizards {
EditorHost* editorHost();
void setEditorHost(EditorHost* host);
} // namespace wizards
