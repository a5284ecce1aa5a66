#include "drawing/QBXDocument.h"

#include "drawing/GraphicDefaults.h"

#include <algorithm>

namespace {
// Observation contexts: only their identity matters.
int undoContextToken;
int undoKeysContextToken;
void* const UndoContext = &undoContextToken;
void* const UndoKeysContext = &undoKeysContextToken;

const QString GraphicsKey = QStringLiteral("graphics");
const QString GraphicsBackKey = QStringLiteral("graphics_back");
const QString GraphicsTempKey = QStringLiteral("graphics_temp");
const QString CanvasSizeKey = QStringLiteral("canvasSize");

std::vector<int> allIndexes(size_t n)
{
    std::vector<int> all(n);
    for (size_t i = 0; i < n; ++i)
        all[i] = int(i);
    return all;
}

// Ascending, unique indexes.
std::vector<int> normalised(std::vector<int> indexes)
{
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    return indexes;
}
} // namespace

const QString QBXDocument::NativeTypeIdentifier = QStringLiteral("com.cardwright.card");
const QString QBXDocument::NativeTypeName = QStringLiteral("VELT CARD document");
const QString QBXDocument::PDFType = QStringLiteral("com.adobe.pdf");
const QString QBXDocument::TIFFType = QStringLiteral("public.tiff");

QBXMapTableOwner::Properties& QBXMapTableOwner::propertiesFor(const GraphicPtr& graphic)
{
    const auto [it, added] = _rowOf.try_emplace(graphic.get(), _mapTable.size());
    if (added)
        _mapTable.push_back({graphic, {}});
    return _mapTable[it->second].oldValues;
}

QBXDocument::QBXDocument(QObject* parent)
    : QObject(parent)
{
    m_undoManager.setCheckpointCallback([this] { observeUndoManagerCheckpoint(); });
}

QBXDocument::~QBXDocument()
{
    Clear_All_Undo_Redo();
    stopObservingGraphics(_graphics);
    m_undoManager.setCheckpointCallback({});
}

const GraphicList& QBXDocument::listForKey(const QString& key) const
{
    if (key == GraphicsBackKey)
        return _graphics_back;
    if (key == GraphicsTempKey)
        return _graphics_temp;
    return _graphics;
}

GraphicList* QBXDocument::mutableList(const QString& key)
{
    if (key == GraphicsKey)
        return &_graphics;
    if (key == GraphicsBackKey)
        return &_graphics_back;
    if (key == GraphicsTempKey)
        return &_graphics_temp;
    return nullptr;
}

// ---------------------------------------------------------------- list changes

void QBXDocument::insertDirect(const QString& key, GraphicList& list, const GraphicList& graphics,
                               const std::vector<int>& requested)
{
    Q_ASSERT(graphics.size() == requested.size());
    const size_t n = std::min(graphics.size(), requested.size());
    // Clamp each index to the length the list has when that graphic goes in;
    // ascending input stays ascending.
    std::vector<int> indexes(n);
    const size_t base = list.size();
    for (size_t k = 0; k < n; ++k)
        indexes[k] = std::clamp(requested[k], 0, int(base + k));
    GraphicList inserted(graphics.begin(), graphics.begin() + long(n));
    willChangeList(platform::ChangeKind::Insertion, indexes, key, {});
    for (size_t k = 0; k < n; ++k)
        list.insert(list.begin() + indexes[k], inserted[k]);
    didChangeList(platform::ChangeKind::Insertion, indexes, key, QVariant::fromValue(inserted));
}

GraphicList QBXDocument::removeDirect(const QString& key, GraphicList& list, const std::vector<int>& indexes)
{
    GraphicList removed;
    removed.reserve(indexes.size());
    for (int i : indexes)
        removed.push_back(list[size_t(i)]);
    willChangeList(platform::ChangeKind::Removal, indexes, key, QVariant::fromValue(removed));
    for (auto it = indexes.rbegin(); it != indexes.rend(); ++it)
        list.erase(list.begin() + *it);
    didChangeList(platform::ChangeKind::Removal, indexes, key, {});
    return removed;
}

void QBXDocument::insertGraphics(const GraphicList& graphics, const std::vector<int>& indexesIn)
{
    if (graphics.empty())
        return;
    std::vector<int> indexes = normalised(indexesIn);
    Q_ASSERT(indexes.size() == graphics.size());
    if (indexes.size() != graphics.size())
        return;
    for (const auto& g : graphics) {
        Q_ASSERT(g);
        if (!g)
            return;
    }
    insertDirect(GraphicsKey, _graphics, graphics, indexes);
    for (const auto& g : graphics)
        g->setScriptingContainer(this);
    // Undo removes exactly these graphics, wherever they are by then.
    const GraphicList held = graphics;
    m_undoManager.registerUndo(this, [this, held] { removeGraphics(held); });
    if (m_undoManager.isUndoRegistrationEnabled()) {
        if (!_undoGroupInsertedGraphics)
            _undoGroupInsertedGraphics = GraphicList();
        _undoGroupInsertedGraphics->insert(_undoGroupInsertedGraphics->end(), graphics.begin(), graphics.end());
    }
    startObservingGraphics(graphics);
}

void QBXDocument::removeGraphicsAtIndexes(const std::vector<int>& indexesIn)
{
    std::vector<int> indexes = normalised(indexesIn);
    const auto outside = [this](int i) { return i < 0 || size_t(i) >= _graphics.size(); };
    Q_ASSERT(std::none_of(indexes.begin(), indexes.end(), outside));
    indexes.erase(std::remove_if(indexes.begin(), indexes.end(), outside), indexes.end());
    if (indexes.empty())
        return;
    GraphicList removed;
    for (int i : indexes)
        removed.push_back(_graphics[size_t(i)]);
    stopObservingGraphics(removed);
    m_undoManager.registerUndo(this, [this, removed, indexes] { insertGraphics(removed, indexes); });
    for (const auto& g : removed)
        g->setScriptingContainer(nullptr);
    removeDirect(GraphicsKey, _graphics, indexes);
}

void QBXDocument::insertGraphic(const GraphicPtr& graphic, int index)
{
    insertGraphics({graphic}, {index});
}

void QBXDocument::removeGraphicAtIndex(int index)
{
    removeGraphicsAtIndexes({index});
}

void QBXDocument::removeGraphics(const GraphicList& graphics)
{
    std::vector<int> indexes;
    for (const auto& g : graphics) {
        const auto it = std::find(_graphics.begin(), _graphics.end(), g);
        if (it != _graphics.end())
            indexes.push_back(int(it - _graphics.begin()));
    }
    if (!indexes.empty())
        removeGraphicsAtIndexes(indexes);
}

void QBXDocument::insertIntoList(const QString& key, const GraphicList& graphics, const std::vector<int>& indexes)
{
    if (key == GraphicsKey) {
        insertGraphics(graphics, indexes);
        return;
    }
    GraphicList* list = mutableList(key);
    Q_ASSERT(list);
    std::vector<int> sorted = normalised(indexes);
    if (!list || sorted.size() != graphics.size())
        return;
    insertDirect(key, *list, graphics, sorted);
}

void QBXDocument::removeFromList(const QString& key, const std::vector<int>& indexes)
{
    if (key == GraphicsKey) {
        removeGraphicsAtIndexes(indexes);
        return;
    }
    GraphicList* list = mutableList(key);
    Q_ASSERT(list);
    if (!list)
        return;
    std::vector<int> sorted = normalised(indexes);
    sorted.erase(std::remove_if(sorted.begin(), sorted.end(),
                                [list](int i) { return i < 0 || size_t(i) >= list->size(); }),
                 sorted.end());
    if (!sorted.empty())
        removeDirect(key, *list, sorted);
}

void QBXDocument::setList(const QString& key, const GraphicList& graphics)
{
    if (key == GraphicsKey) {
        removeGraphicsAtIndexes(allIndexes(_graphics.size()));
        insertGraphics(graphics, allIndexes(graphics.size()));
        return;
    }
    GraphicList* list = mutableList(key);
    Q_ASSERT(list);
    if (!list)
        return;
    willChangeValueForKey(key);
    *list = graphics;
    didChangeValueForKey(key);
}

void QBXDocument::removeGraphicsWithoutUndo(const QString& key, const GraphicList& graphics)
{
    const GraphicList& list = listForKey(key);
    std::vector<int> indexes;
    for (const auto& g : graphics) {
        const auto it = std::find(list.begin(), list.end(), g);
        if (it != list.end())
            indexes.push_back(int(it - list.begin()));
    }
    if (indexes.empty())
        return;
    m_undoManager.disableUndoRegistration();
    removeFromList(key, indexes);
    m_undoManager.enableUndoRegistration();
}

// ---------------------------------------------------------------- observation of the front graphics

void QBXDocument::startObservingKeys(QBXGraphic* graphic, const QStringList& keys)
{
    for (const QString& key : keys)
        graphic->addObserver(this, key, platform::ObserveOld | platform::ObserveNew, UndoContext);
}

void QBXDocument::stopObservingKeys(QBXGraphic* graphic, const QStringList& keys)
{
    for (const QString& key : keys)
        graphic->removeObserver(this, key, UndoContext);
}

void QBXDocument::startObservingGraphics(const GraphicList& graphics)
{
    for (const auto& g : graphics) {
        startObservingKeys(g.get(), g->keysForValuesToObserveForUndo());
        g->addObserver(this, QBXGraphicKeysForValuesToObserveForUndoKey, platform::ObserveOld | platform::ObserveNew,
                       UndoKeysContext);
    }
}

void QBXDocument::stopObservingGraphics(const GraphicList& graphics)
{
    for (const auto& g : graphics) {
        g->removeObserver(this, QBXGraphicKeysForValuesToObserveForUndoKey, UndoKeysContext);
        stopObservingKeys(g.get(), g->keysForValuesToObserveForUndo());
    }
}

bool QBXDocument::isInsertedInGroup(const QBXGraphic* graphic) const
{
    if (!_undoGroupInsertedGraphics)
        return false;
    return std::any_of(_undoGroupInsertedGraphics->begin(), _undoGroupInsertedGraphics->end(),
                       [graphic](const GraphicPtr& g) { return g.get() == graphic; });
}

void QBXDocument::observeValueForKey(const QString& key, platform::Observable* object,
                                     const platform::Change& change, void* context)
{
    auto* graphic = dynamic_cast<QBXGraphic*>(object);
    if (!graphic)
        return;
    if (context == UndoKeysContext) {
        const QStringList oldKeys = change.oldValue.toStringList();
        const QStringList newKeys = change.newValue.toStringList();
        QStringList gone, added;
        for (const QString& k : oldKeys) {
            if (!newKeys.contains(k))
                gone << k;
        }
        for (const QString& k : newKeys) {
            if (!oldKeys.contains(k))
                added << k;
        }
        stopObservingKeys(graphic, gone);
        startObservingKeys(graphic, added);
        return;
    }
    if (context != UndoContext)
        return;
    // Undoing the insertion takes the graphic out again anyway.
    if (isInsertedInGroup(graphic))
        return;
    if (change.oldValue == change.newValue)
        return;
    if (!_undoGroupOldPropertiesPerGraphic) {
        auto table = std::make_shared<QBXMapTableOwner>();
        _undoGroupOldPropertiesPerGraphic = table;
        m_undoManager.registerUndo(this, [this, table] { setGraphicProperties(table); });
    }
    GraphicPtr strong = graphic->shared_from_this();
    auto& old = _undoGroupOldPropertiesPerGraphic->propertiesFor(strong);
    if (old.find(key) == old.end())
        old.emplace(key, change.oldValue);
    if (m_undoManager.isUndoing() || m_undoManager.isRedoing())
        return;
    const std::optional<QString> name = graphic->presentablePropertyNameForKey(key);
    Q_ASSERT_X(name.has_value(), "QBXDocument",
               "keysForValuesToObserveForUndo includes a key that has no presentable name");
    if (!name)
        return;
    if (!_undoGroupPresentablePropertyName && !_undoGroupHasChangesToMultipleProperties) {
        _undoGroupPresentablePropertyName = *name;
    } else if (!_undoGroupHasChangesToMultipleProperties && _undoGroupPresentablePropertyName != *name) {
        _undoGroupHasChangesToMultipleProperties = true;
        _undoGroupPresentablePropertyName.reset();
    }
}

void QBXDocument::setGraphicProperties(const std::shared_ptr<QBXMapTableOwner>& table)
{
    for (const auto& row : table->mapTable()) {
        for (const auto& [key, value] : row.oldValues)
            row.graphic->setValueForKey(key, value);
    }
}

void QBXDocument::observeUndoManagerCheckpoint()
{
    _undoGroupHasChangesToMultipleProperties = false;
    _undoGroupPresentablePropertyName.reset();
    _undoGroupOldPropertiesPerGraphic.reset();
    _undoGroupInsertedGraphics.reset();
}

// ---------------------------------------------------------------- undo switches

void QBXDocument::Enable_Disable_Undo_Registraion(bool enable)
{
    if (enable)
        m_undoManager.enableUndoRegistration();
    else
        m_undoManager.disableUndoRegistration();
}

void QBXDocument::Clear_All_Undo_Redo()
{
    m_undoManager.removeAllActions();
    m_undoManager.removeAllActionsWithTarget(this);
    m_undoManager.disableUndoRegistration();
    if (!_graphics.empty())
        removeGraphicsAtIndexes(allIndexes(_graphics.size()));
    m_undoManager.enableUndoRegistration();
}

// ---------------------------------------------------------------- services

QSizeF QBXDocument::canvasSize(bool useCardSize, const QSizeF& size)
{
    return useCardSize ? QSizeF(243.0, 154.0) : size;
}

void QBXDocument::setPrintInfo(const QByteArray& printInfo)
{
    willChangeValueForKey(CanvasSizeKey);
    m_printInfo = printInfo;
    didChangeValueForKey(CanvasSizeKey);
}

QString QBXDocument::displayName() const
{
    return graphic_defaults::appName();
}

QVariant QBXDocument::valueForKey(const QString& key) const
{
    if (key == GraphicsKey || key == GraphicsBackKey || key == GraphicsTempKey)
        return QVariant::fromValue(listForKey(key));
    if (key == CanvasSizeKey)
        return canvasSize();
    return {};
}

QBXDocument::RenderDataHook& QBXDocument::renderDataHook()
{
    static RenderDataHook hook;
    return hook;
}
