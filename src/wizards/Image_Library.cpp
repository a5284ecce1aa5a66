#include "wizards/Image_Library.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "platform/files.h"
#include "platform/image_browser.h"
#include "platform/modal.h"
#include "wizards/Dialog_Window.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <exception>

namespace {
Image_Library* g_library = nullptr;
constexpr double kStartZoom = 0.4;
} // namespace

Image_Library::Image_Library()
{
    if (!g_library)
        g_library = this;
    buildWindow();
}

Image_Library::~Image_Library()
{
    if (g_library == this)
        g_library = nullptr;
    delete window;
}

Image_Library* Image_Library::defaultInstance()
{
    if (!g_library)
        new Image_Library; // lives for the whole process
    return g_library;
}

void Image_Library::buildWindow()
{
    window = wizards::Make_Dialog_Window(QStringLiteral("Image_Library"), QStringLiteral("Image Library"));
    window->setMinimumSize(560, 420);

    auto* layout = new QVBoxLayout(window);
    auto* top = new QHBoxLayout;
    category_label = new QLabel(QStringLiteral("Category:"));
    cat_cmbo_bx = new QComboBox;
    cat_cmbo_bx->setObjectName(QStringLiteral("cat_cmbo_bx"));
    cat_cmbo_bx->setMinimumWidth(200);
    top->addWidget(category_label);
    top->addWidget(cat_cmbo_bx);
    top->addStretch(1);
    layout->addLayout(top);

    _zoom_slider = Make_Browser_And_Zoom(window);
    layout->addWidget(imageBrowser, 1);

    auto* bottom = new QHBoxLayout;
    _zoom_label = new QLabel(QStringLiteral("Zoom:"));
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("OK"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("Cancel"));
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    bottom->addWidget(_zoom_label);
    bottom->addWidget(_zoom_slider);
    bottom->addStretch(1);
    bottom->addWidget(cancel);
    bottom->addWidget(ok);
    layout->addLayout(bottom);

    QObject::connect(ok, &QPushButton::clicked, window, [this] { OK_Clicked(); });
    QObject::connect(cancel, &QPushButton::clicked, window, [this] { Cancel_Clicked(); });
    QObject::connect(cat_cmbo_bx, &QComboBox::currentIndexChanged, window,
                     [this] { comboBoxSelectionDidChange(cat_cmbo_bx); });
    images.clear();
    Set_Zoom(_zoom_slider, kStartZoom);
}

int Image_Library::Open_Library_Window()
{
    try {
        images.clear();
        Set_Zoom(_zoom_slider, kStartZoom);
        Reload_Browser();
        if (control_or_BG == QLatin1String("C")) {
            window->setWindowTitle(QStringLiteral("Image Library"));
            Fill_Combobox();
            cat_cmbo_bx->show();
            category_label->show();
        } else {
            window->setWindowTitle(QStringLiteral("Background Image Library"));
            cat_cmbo_bx->hide();
            category_label->hide();
            Load_and_fill_backgrounds();
        }
        imageBrowser->prefetch(12);
        const int code = platform::modal::run(*window);
        window->hide();
        return code;
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
        return 0;
    }
}

QString Image_Library::Capitalized(const QString& name)
{
    QString out = name;
    bool wordStart = true;
    for (QChar& c : out) {
        if (c.isSpace()) {
            wordStart = true;
            continue;
        }
        c = wordStart ? c.toUpper() : c.toLower();
        wordStart = false;
    }
    return out;
}

void Image_Library::Fill_Combobox()
{
    {
        const QSignalBlocker block(cat_cmbo_bx);
        cat_cmbo_bx->clear();
        const QString library = QDir(Resource_Path).filePath(QStringLiteral("LibraryImage"));
        if (!QFileInfo(library).isDir())
            return;
        // The folder's own name stays beside the shown one: on a file system
        // that tells case apart, the capitalised name would find no folder.
        for (const QString& folder : platform::listFolder(library, platform::ListKind::Folders))
            cat_cmbo_bx->addItem(Capitalized(folder), folder);
        // Qt selects the first item on the first addItem; from -1 the
        // selection below reaches the handler.
        cat_cmbo_bx->setCurrentIndex(-1);
    }
    if (cat_cmbo_bx->count() > 0)
        cat_cmbo_bx->setCurrentIndex(0);
}

void Image_Library::comboBoxSelectionDidChange(QComboBox* box)
{
    if (box != cat_cmbo_bx)
        return;
    try {
        const int index = cat_cmbo_bx->currentIndex();
        if (index < 0)
            return;
        const QString folder = QDir(QDir(Resource_Path).filePath(QStringLiteral("LibraryImage")))
                                   .filePath(cat_cmbo_bx->itemData(index).toString());
        if (!QFileInfo(folder).isDir())
            return;
        Load_Picture_Folder(folder);
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}

void Image_Library::Load_and_fill_backgrounds()
{
    Load_Picture_Folder(QDir(Resource_Path).filePath(QStringLiteral("Background")));
}

void Image_Library::OK_Clicked()
{
    if (!Is_Readable_Picture(selected_image)) {
        Show_MessageBox(QStringLiteral("Please select image."));
        return;
    }
    window->done(1);
}

void Image_Library::Cancel_Clicked()
{
    selected_image = QStringLiteral("");
    window->done(0);
}
