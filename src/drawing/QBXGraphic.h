#pragma once
// The record of every element on a card side, with the geometry, handles and
// drawing hooks shared by all kinds.
//
// All attributes of all kinds live in one flat set of fields (GraphicFields),
// so any graphic is stored, copied, pasted and bound to data the same way.
// The panels and other subsystems read and write the fields directly (no
// notice); the undoable properties ("drawingFill", "fillColor",
// "drawingStroke", "strokeColor", "strokeWidth", "bounds") have setters that
// notify observers.
//
// Graphics are owned through std::shared_ptr (lists and undo actions hold
// them). The C++ copy constructor is deleted: copyWithZone makes the 13-field
// copy, fullCopy the complete one that worker threads draw from.
#include "drawing/DrawingContext.h"
#include "drawing/TextStorage.h"
#include "platform/observation.h"
#include "platform/stored_picture.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QPainter;
class QBXDocument;
class QBXGraphic;

using GraphicPtr = std::shared_ptr<QBXGraphic>;
using GraphicList = std::vector<GraphicPtr>;
Q_DECLARE_METATYPE(GraphicList)

// Handle numbers; 0 means no handle.
enum QBXGraphicHandle : int {
    QBXGraphicNoHandle = 0,
    QBXGraphicUpperLeftHandle = 1,
    QBXGraphicUpperMiddleHandle = 2,
    QBXGraphicUpperRightHandle = 3,
    QBXGraphicMiddleLeftHandle = 4,
    QBXGraphicMiddleRightHandle = 5,
    QBXGraphicLowerLeftHandle = 6,
    QBXGraphicLowerMiddleHandle = 7,
    QBXGraphicLowerRightHandle = 8,
};

inline constexpr double QBXGraphicHandleWidth = 6.0;
inline constexpr double QBXGraphicHandleHalfWidth = 3.0;

// Keys of observable properties.
inline const QString QBXGraphicBoundsKey = QStringLiteral("bounds");
inline const QString QBXGraphicDrawingFillKey = QStringLiteral("drawingFill");
inline const QString QBXGraphicFillColorKey = QStringLiteral("fillColor");
inline const QString QBXGraphicDrawingStrokeKey = QStringLiteral("drawingStroke");
inline const QString QBXGraphicStrokeColorKey = QStringLiteral("strokeColor");
inline const QString QBXGraphicStrokeWidthKey = QStringLiteral("strokeWidth");
inline const QString QBXGraphicXPositionKey = QStringLiteral("xPosition");
inline const QString QBXGraphicYPositionKey = QStringLiteral("yPosition");
inline const QString QBXGraphicWidthKey = QStringLiteral("width");
inline const QString QBXGraphicHeightKey = QStringLiteral("height");
inline const QString QBXGraphicDrawingBoundsKey = QStringLiteral("drawingBounds");
inline const QString QBXGraphicDrawingContentsKey = QStringLiteral("drawingContents");
inline const QString QBXGraphicKeysForValuesToObserveForUndoKey = QStringLiteral("keysForValuesToObserveForUndo");

// The stretch value of a barcode archived without one (see stretch_val).
inline constexpr int32_t kStretchOfDesigner = -1;

// The stored fields, in declaration order, with the defaults of a new graphic
// (the three that depend on the application are set by the constructor).
struct GraphicFields {
    QRectF _bounds;
    bool _isDrawingFill = true;
    QColor _fillColor = QColor::fromRgbF(1.0f, 1.0f, 1.0f, 1.0f);
    bool _isDrawingStroke = true;
    QColor _strokeColor = QColor::fromRgbF(0.0f, 0.0f, 0.0f, 1.0f);
    double _strokeWidth = 1.0;
    QString _stroke_border_type = QStringLiteral("S");
    QString _fill_type = QStringLiteral("S");
    QColor _fill_Grad_clr1 = QColor::fromRgbF(1.0f, 1.0f, 1.0f, 1.0f);
    QColor _fill_Grad_clr2 = QColor::fromRgbF(1.0f, 1.0f, 1.0f, 1.0f);
    double _fill_grad_angle = 0.0;
    QColor _fill_htch_clr = QColor::fromRgbF(1.0f, 1.0f, 1.0f, 1.0f);
    QString _fill_hatch_type = QStringLiteral("");
    bool _isFlippedHorizontally = false;
    bool _isFlippedVertically = false;
    bool invert_clr = false;
    bool gray_Scale = false;
    bool Sepia = false;
    float img_trnsp_val = 100.0f;
    float hue_val = 0.0f;
    float sat_val = 1.0f;
    float brt_val = 0.0f;
    float con_val = 1.0f;
    float srp_val = 0.0f;
    float ev_val = 0.0f;
    float blr_val = 0.0f;
    int32_t data_source_type = 0;
    float rotate_image = 0.0f;
    QString _file_path;
    QBXDocument* _scriptingContainer = nullptr; // back pointer; never archived
    QString sign_or_fingureprint = QStringLiteral("S");
    QString batch_list_name = QStringLiteral("");
    int32_t batch_list_index = 0;
    int32_t _line_ori = 0;
    int32_t _line_cap_style = 0;
    float cor_rad_val_val = 10.0f;
    float alpha_val = 100.0f;
    float alpha_val_stroke = 100.0f;
    QFont text_ctrl_font;
    QColor txt_clr;
    std::optional<TextStorage> _Text_contents;
    QString _shape_type = QStringLiteral("R");
    platform::StoredPicture _barcode_image;
    int32_t linear_or_2d = 0;
    int32_t barcode_font_index = 0;
    QString linear_font_val = QStringLiteral("0123");
    QString two_d_font_val = QStringLiteral("0123");
    QString header_val = QStringLiteral("HEADER");
    QString footer_val = QStringLiteral("FOOTER");
    int32_t show_hide_hdr = 0;
    int32_t show_hide_ftr = 0;
    int32_t show_hide_val = 0;
    int32_t show_val_on_top = 0;
    // 1: the value text is stretched to the bars' width. kStretchOfDesigner:
    // a barcode saved before each kept its own takes the designer's, which
    // every barcode shared then.
    int32_t stretch_val = 0;
    int32_t align_hdr_index = 1;
    int32_t align_ftr_index = 1;
    float linear_height_val = 0.6f;
    float linear_width_val = 20.0f;
    int32_t qr_size_val = 60;
    int32_t qr_version_index = 0;
    int32_t qr_ec_index = 0;
    int32_t pdf_hgt_val = 20;
    int32_t pdf_wdt_val = 100;
    int32_t pdf_ec_val = 2;
    int32_t dm_module_val = 2;
    int32_t dm_format_index = 0;
    int32_t dm_encoding_index = 0;
    float hdr_margin_val = 0.1f;
    float ftr_margin_val = 0.1f;
    float val_margin_val = 0.1f;
    float TB_marging_val = 0.1f;
    float LR_margin_val = 0.1f;
    QFont value_font_val;
    QFont header_font_val;
    QFont footer_font_val;
    QColor barcode_hdr_clr_val = QColor::fromRgbF(0.0f, 0.0f, 0.0f, 1.0f);
    QColor barcode_ftr_clr_val = QColor::fromRgbF(0.0f, 0.0f, 0.0f, 1.0f);
    QColor barcode_val_clr_val = QColor::fromRgbF(0.0f, 0.0f, 0.0f, 1.0f);
    QColor barcode_back_clr_val = QColor::fromRgbF(1.0f, 1.0f, 1.0f, 1.0f);
    QColor barcode_clr_val = QColor::fromRgbF(0.0f, 0.0f, 0.0f, 1.0f);
    int32_t dpi_val_index = 0;
    QString dpi_custom_val = QStringLiteral("0");
    int32_t barcode_unit_val = 1;
    bool ctrl_is_locked = false;
    int32_t text_alignmnet = 0;
    int32_t text_transfrom_case = 0;
    float text_kerning = 0.0f;
    int32_t print_object = 0;
    QString control_ID = QStringLiteral("");
    bool excel_binding = false;
    int32_t excel_col_indx = 0;
    QString Text_Value = QStringLiteral("Text here");
    bool ctrl_is_visible = true;
    int32_t double_star_type = 1;
    int32_t polygon_type = 1;
};

// An error of the drawing layer.
struct QBXError {
    QString domain;
    qint64 code = 0;
    QString localizedDescription;
    QString localizedFailureReason;
};

class QBXGraphic : public GraphicFields,
                   public platform::Observable,
                   public std::enable_shared_from_this<QBXGraphic> {
public:
    // A new graphic with every default.
    QBXGraphic();
    ~QBXGraphic() override;
    QBXGraphic(const QBXGraphic&) = delete;
    QBXGraphic& operator=(const QBXGraphic&) = delete;

    // ---- kind and copies ----
    virtual QString className() const;
    // A new graphic of the same kind with every default.
    virtual GraphicPtr newOfSameKind() const;
    // The 13-field copy: bounds, fill, stroke and the fill styles; every other
    // field has its default.
    virtual GraphicPtr copyWithZone() const;
    // Every field (and the kind's own state), for drawing on another thread.
    // The copy has no observers and no scripting container.
    virtual GraphicPtr fullCopy() const;
    // Makes a graphic of a class named in an archive; none for an unknown name.
    static GraphicPtr graphicOfClass(const QString& className);

    // ---- plain accessors (no notice) ----
    void Set_Ctrl_Is_Visible(bool flag) { ctrl_is_visible = flag; }
    bool Is_Control_Locked() const { return ctrl_is_locked; }
    void Set_Barcode_image(const platform::StoredPicture& image) { _barcode_image = image; }
    QString Get_shape_type() const { return _shape_type; }
    void Set_Shape_Type(const QString& type) { _shape_type = type; }
    void Set_Excel_binding(bool flag) { excel_binding = flag; }
    void Set_Excel_binding_Index(int index) { excel_col_indx = index; }
    QFont Text_Font_value() const { return text_ctrl_font; }
    QColor Text_Color_Value() const { return txt_clr; }
    int Get_Line_Ori() const { return _line_ori; }
    int Get_Line_Cap_Style() const { return _line_cap_style; }
    void Set_Batch_List_Name(const QString& name) { batch_list_name = name; }
    QString batch_list_name_val() const { return batch_list_name; }
    void Set_Batch_List_Index(int index) { batch_list_index = index; }
    int batch_list_index_val() const { return batch_list_index; }
    int data_source_type_val() const { return data_source_type; }
    void Set_Data_source_type(int type) { data_source_type = type; }
    virtual void setFlippedHorizontally(bool flag) { _isFlippedHorizontally = flag; }
    virtual void setFlippedVertically(bool flag) { _isFlippedVertically = flag; }
    QString Sign_Or_FP_Val() const { return sign_or_fingureprint; }
    void Set_Sign_Or_FP(const QString& kind) { sign_or_fingureprint = kind; }
    void Set_Control_File_path(const QString& path) { _file_path = path; }
    QString FilePath() const { return _file_path; }
    double Get_Image_Trnsp_val() const { return img_trnsp_val; }
    double Get_Hue_val() const { return hue_val; }
    double strokeWidth() const { return _strokeWidth; }
    QString strokeBorderType() const { return _stroke_border_type; }
    QString fill_type() const { return _fill_type; }
    QString fill_hatch_type() const { return _fill_hatch_type; }
    double fill_grad_angle() const { return _fill_grad_angle; }
    void setScriptingContainer(QBXDocument* container) { _scriptingContainer = container; }

    // ---- colour getters: the colour with the record's opacity; the field
    // keeps that alpha afterwards (written only when it differs) ----
    QColor fillColor();
    QColor fill_hatch_bk_clr();
    QColor fill_Grad_clr1();
    QColor fill_Grad_clr2();
    QColor strokeColor();

    // The rich text, made from Text_Value on first use (black, the default
    // text font at 14 pt); later calls return the same storage.
    TextStorage& Text_contents();

    // ---- observable setters ----
    void setDrawingFill(bool flag);
    void setFillColor(const QColor& color);
    void setDrawingStroke(bool flag);
    void setStrokeColor(const QColor& color);
    void setStrokeWidth(double width);

    // ---- geometry ----
    virtual QRectF bounds() const { return _bounds; }
    double xPosition() const { return bounds().x(); }
    double yPosition() const { return bounds().y(); }
    double width() const { return bounds().width(); }
    double height() const { return bounds().height(); }
    void setXPosition(double x);
    void setYPosition(double y);
    void setWidth(double w);
    void setHeight(double h);
    virtual QRectF drawingBounds() const;

    // ---- drawing hooks (each kind draws itself; the base draws nothing) ----
    virtual void drawContentsInView(QPainter* painter, const DrawingContext& context, bool isBeingCreateOrEdited);
    // How every surface draws a graphic (the canvas, card pictures, print,
    // mail): its contents clipped to drawingBounds, between a save and a
    // restore of the painter, so what leaves is what the canvas shows.
    // `inside` draws more under the same clip (the canvas's handles).
    void drawClippedInView(QPainter& painter, const DrawingContext& context, bool isBeingCreateOrEdited,
                           const std::function<void()>& inside = {});
    // The outline used by kinds that draw a path; the base has none.
    virtual QPainterPath bezierPathForDrawing() const;
    virtual void drawHandlesInView(QPainter* painter, const DrawingContext& context, bool lock_hai);
    virtual void drawHandleInView(QPainter* painter, const DrawingContext& context, const QPointF& point,
                                  bool lock_hai);

    // ---- the picture a kind draws ----
    // The picture it shows now; none for kinds that draw none, or when it
    // shows none. Nothing is decoded.
    virtual platform::StoredPicture pictureShown() const { return {}; }
    // The pixels that picture needs on a surface of pixelsPerPoint (what
    // drawing::picturePixelsPerPoint gives the surface): the one answer its
    // draw, a run's binding and the canvas's decoding ask. By default the
    // frame's size there.
    virtual QSize picturePixelsNeeded(double pixelsPerPoint) const;

    virtual bool isDrawingFill() const { return _isDrawingFill; }
    virtual bool isDrawingStroke() const { return _isDrawingStroke; }
    virtual bool canSetDrawingFill() const { return true; }
    virtual bool canSetDrawingStroke() const { return true; }
    virtual bool canMakeNaturalSize() const;
    virtual bool isContentsUnderPoint(const QPointF& point) const;
    virtual int handleUnderPoint(const QPointF& point) const;
    static bool isHandleAtPoint(const QPointF& handlePoint, const QPointF& point);
    static QPointF handlePoint(const QRectF& bounds, int handle);
    virtual int resizeByMovingHandle(int handle, const QPointF& point);
    virtual void flipHorizontally() {}
    virtual void flipVertically() {}
    virtual void makeNaturalSize();
    virtual void setBounds(const QRectF& bounds);
    virtual void setColor(const QColor& color);

    // ---- undo support ----
    virtual QStringList keysForValuesToObserveForUndo() const;
    // The name of a property for the undo menu; none for a key the kind does
    // not know as undoable.
    virtual std::optional<QString> presentablePropertyNameForKey(const QString& key) const;
    virtual int creationSizingHandle() const { return QBXGraphicLowerRightHandle; }

    // ---- property dictionary ----
    virtual QVariantMap properties();
    virtual void initWithProperties(const QVariantMap& properties);
    QString description();

    // ---- keyed access and dependent keys ----
    QVariant valueForKey(const QString& key) const override;
    void setValueForKey(const QString& key, const QVariant& value) override;
    QStringList keysAffectedByKey(const QString& key) const override;

    // ---- lists of graphics ----
    static QRectF boundsOfGraphics(const GraphicList& graphics);
    static QRectF drawingBoundsOfGraphics(const GraphicList& graphics);
    static void translateGraphics(const GraphicList& graphics, double dx, double dy);
    static void Paste_Location_Of_Graphics(const GraphicList& graphics, double x, double y, const QString& card_side);
    static QBXError QBXErrorWithCode(qint64 code);

    // ---- stored form (keyed archive of every field; see QBXGraphic_archive.cpp) ----
    // One archive per graphic.
    static QByteArray archivedDataWithGraphic(const QBXGraphic& graphic);
    // Reads one archive; none when the data is not a graphic archive.
    static GraphicPtr graphicWithArchivedData(const QByteArray& data);
    static std::vector<QByteArray> propertiesWithGraphics(const GraphicList& graphics);
    static QByteArray pasteboardDataWithGraphics(const GraphicList& graphics);
    // None and error code 2 when the data is not a property list holding an
    // array, or holds more than kMaxPastedGraphics elements (logged).
    // `dropped` receives the number of elements that were not graphics.
    static std::optional<GraphicList> graphicsWithPasteboardData(const QByteArray& data, QBXError* error,
                                                                 int* dropped = nullptr);
    // Elements sharing one stored archive are read once and copied.
    static GraphicList graphicsWithProperties(const std::vector<QByteArray>& properties, int* dropped = nullptr);
    // Most graphics one paste reads.
    static constexpr int kMaxPastedGraphics = 10000;

protected:
    // Kinds copy their own state into a copy of the same kind.
    virtual void copyKindStateTo(QBXGraphic& copy) const;
    // Resets the application-dependent defaults (text font and colour, picture path).
    void applyApplicationDefaults();
};

// The colour in the RGB model with 16-bit components and nothing else set, so
// that equal colours compare equal whichever model they came from.
QColor rgbColor(const QColor& color);

// Writes the colour with alpha `alpha` (clamped to [0, 1]) into `field` when
// it differs and returns it.
QColor applyAlpha(QColor& field, float alpha);
