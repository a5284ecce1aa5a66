#pragma once
// The document: three ordered graphic lists (front "graphics", back
// "graphics_back", temporary design side "graphics_temp"; index 0 is the
// topmost graphic) and undo by observation of the front list's graphics.
//
// Inserting into and removing from the front list registers the inverse with
// the undo manager; every change of an undoable property of a front graphic
// is recorded (first old value per key wins) and undone in one step per undo
// group. The back and temporary lists register no undo.
//
// Undo actions hold the graphics themselves, not only their indexes: undoing
// an insertion removes those graphics wherever they now are, and redoing a
// removal puts them back at the stored indexes, clamped to the list length.
// Main thread only.
#include "drawing/QBXGraphic.h"
#include "platform/observation.h"
#include "platform/undo_manager.h"

#include <QObject>
#include <QSizeF>
#include <QVariantMap>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>

// Old property values per graphic, recorded during one undo group.
class QBXMapTableOwner {
public:
    using Properties = std::map<QString, QVariant>;
    struct Row {
        GraphicPtr graphic;
        Properties oldValues;
    };
    // The row of a graphic, made when missing.
    Properties& propertiesFor(const GraphicPtr& graphic);
    const std::vector<Row>& mapTable() const { return _mapTable; }

private:
    std::vector<Row> _mapTable;
    std::unordered_map<const QBXGraphic*, size_t> _rowOf;
};

class QBXDocument : public QObject, public platform::Observable, public platform::Observer {
    Q_OBJECT
public:
    explicit QBXDocument(QObject* parent = nullptr);
    ~QBXDocument() override;

    // ---- the lists ----
    const GraphicList& graphics() const { return _graphics; }
    const GraphicList& graphics_back() const { return _graphics_back; }
    const GraphicList& graphics_temp() const { return _graphics_temp; }
    // The list under a key ("graphics", "graphics_back", "graphics_temp"); the
    // front list for any other key.
    const GraphicList& listForKey(const QString& key) const;

    // Front list, with undo. Indexes are ascending and refer to the list after
    // the insertion; indexes past the end are clamped to it.
    void insertGraphics(const GraphicList& graphics, const std::vector<int>& indexes);
    void removeGraphicsAtIndexes(const std::vector<int>& indexes);
    void insertGraphic(const GraphicPtr& graphic, int index);
    void removeGraphicAtIndex(int index);
    // Removes these graphics from the front list wherever they are (skipping
    // those that are gone).
    void removeGraphics(const GraphicList& graphics);

    // Keyed list access, as the canvases use it: the front list goes through
    // the operations above; the other two change directly, with no undo and
    // no observation.
    void insertIntoList(const QString& key, const GraphicList& graphics, const std::vector<int>& indexes);
    void removeFromList(const QString& key, const std::vector<int>& indexes);
    // Replaces a whole list: the back and temporary lists with one setting
    // notice; the front list by removing all and inserting the new ones, with undo.
    void setList(const QString& key, const GraphicList& graphics);
    // Takes graphics out of any list leaving no undo or redo step (the rollback
    // of a creation that ended with zero size).
    void removeGraphicsWithoutUndo(const QString& key, const GraphicList& graphics);

    // ---- undo ----
    platform::UndoManager* undoManager() { return &m_undoManager; }
    void Enable_Disable_Undo_Registraion(bool enable);
    void Clear_All_Undo_Redo();
    // Puts recorded properties back (undo of property changes).
    void setGraphicProperties(const std::shared_ptr<QBXMapTableOwner>& table);
    // Group boundary: forget what the current group recorded.
    void observeUndoManagerCheckpoint();

    // ---- document services ----
    static QSizeF canvasSize(bool useCardSize, const QSizeF& size);
    QSizeF canvasSize() const { return canvasSize(true, QSizeF()); }
    void setPrintInfo(const QByteArray& printInfo);
    QByteArray printInfo() const { return m_printInfo; }
    QString displayName() const;
    bool readFromData(const QByteArray&, const QString&, QBXError*) const { return false; }
    bool isDocumentEdited() const { return false; }
    static bool canConcurrentlyReadDocumentsOfType(const QString&) { return true; }

    // Data of a type: the native type gives the binary property list
    // {"version": 2, "graphics": front list archives, "printInfo": data}; PDF
    // and TIFF come from the card renderer through the hook below. An empty
    // result with the error filled in when no data can be made.
    QByteArray dataOfType(const QString& type, QBXError* error = nullptr) const;
    static const QString NativeTypeIdentifier;  // "com.cardwright.card"
    static const QString NativeTypeName;        // "VELT CARD document"
    static const QString PDFType;               // "com.adobe.pdf"
    static const QString TIFFType;              // "public.tiff"
    // Renders a graphic list as PDF or TIFF data ("PDF" / "TIFF"); set by the
    // card renderer.
    using RenderDataHook = std::function<QByteArray(const GraphicList&, const QString& format, QBXError*)>;
    static RenderDataHook& renderDataHook();

    // Printing: the job title is the document file's name without its
    // extension, or the display name when there is no file; the card renderer
    // draws the front list into a frame of the canvas size and runs the print
    // operation through the hook. False when no renderer is set.
    QString printJobTitle(const QString& documentFilePath) const;
    using PrintHook = std::function<bool(const GraphicList&, const QRectF& frame, const QString& jobTitle,
                                         const QByteArray& printInfo, const QVariantMap& settings)>;
    static PrintHook& printHook();
    bool printOperationWithSettings(const QVariantMap& settings, const QString& documentFilePath) const;

    // The application has one main window: `create` runs on the first call only.
    static bool makeWindowControllers(const std::function<void()>& create);

    // ---- observation ----
    QVariant valueForKey(const QString& key) const override;
    void observeValueForKey(const QString& key, platform::Observable* object, const platform::Change& change,
                            void* context) override;

    // The state of the current undo group (read by tests).
    bool undoGroupHasChangesToMultipleProperties() const { return _undoGroupHasChangesToMultipleProperties; }
    std::optional<QString> undoGroupPresentablePropertyName() const { return _undoGroupPresentablePropertyName; }

private:
    GraphicList* mutableList(const QString& key);
    void insertDirect(const QString& key, GraphicList& list, const GraphicList& graphics,
                      const std::vector<int>& indexes);
    GraphicList removeDirect(const QString& key, GraphicList& list, const std::vector<int>& indexes);
    void startObservingGraphics(const GraphicList& graphics);
    void stopObservingGraphics(const GraphicList& graphics);
    void startObservingKeys(QBXGraphic* graphic, const QStringList& keys);
    void stopObservingKeys(QBXGraphic* graphic, const QStringList& keys);
    bool isInsertedInGroup(const QBXGraphic* graphic) const;

    GraphicList _graphics;
    GraphicList _graphics_back;
    GraphicList _graphics_temp;
    std::optional<GraphicList> _undoGroupInsertedGraphics;
    std::shared_ptr<QBXMapTableOwner> _undoGroupOldPropertiesPerGraphic;
    std::optional<QString> _undoGroupPresentablePropertyName;
    bool _undoGroupHasChangesToMultipleProperties = false;

    platform::UndoManager m_undoManager;
    QByteArray m_printInfo;
};
