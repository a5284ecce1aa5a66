#pragma once
// What the user-profile forms ask of the main window controller, without the
// forms depending on the editor: the three profile records, the side's
// graphics and their rendering, the data-source combo fillers and first
// values, the series manager, the spreadsheet path and the preview placement.
// The controller installs a host for each run of a form.
#include "drawing/QBXGraphic.h"
#include "drawing/QBXRenderingView.h"

#include <QString>

class QComboBox;
class User_Profile_Class;

class ProfileHost {
public:
    enum class Record { Front, Back, Temp };
    virtual ~ProfileHost() = default;

    virtual User_Profile_Class* profileRecord(Record which) = 0;
    // The side being edited: 0 front, 1 back.
    virtual int cardSide() const = 0;
    virtual GraphicList sideGraphics(int side) const = 0;
    virtual CardPicture renderSide(const GraphicList& graphics, int side) const = 0;
    virtual void Fill_Data_Set_File_Name_In_Combo(QComboBox* combo) = 0;
    virtual void Fill_Excel_Col_Name_In_Combo(QComboBox* combo) = 0;
    virtual void Add_Excel_Col_Name_In_Combo(QComboBox* combo) = 0;
    virtual void Remove_Excel_Col_Name_In_Combo(QComboBox* combo) = 0;
    virtual QString Get_First_Value_Of_Dataset(const QString& name) const = 0;
    virtual QString Get_First_Value_Of_Excel_Binding(int col) const = 0;
    virtual void Batch_Series_Button() = 0;
    virtual QString excelSourcePath() const = 0;
    virtual void setExcelSourcePath(const QString& path) = 0;
    virtual void setExcelBindingUse(bool use) = 0;
    // Places the temporary record on copies of the side's graphics and
    // returns them; the side itself is left unchanged.
    virtual GraphicList previewUserProfile() = 0;
};

namespace wizards {
ProfileHost* profileHost();
void setProfileHost(ProfileHost* host);

// The profile graphic of a field in a list: the topmost of the field's kind
// (picture for the photo, text otherwise) carrying the id, a visible one
// before a hidden one; null when there is none.
GraphicPtr Find_Profile_Graphic(const GraphicList& list, const QString& control_id, bool photo);
} // namespace wizards
