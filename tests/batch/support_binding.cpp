#include "support_binding.h"

#include <QFile>
#include <QImage>

void TempSeriesFolder::write(const QString& fileName, const QByteArray& bytes) const
{
    QFile f(dir.filePath(fileName));
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

QByteArray TempSeriesFolder::read(const QString& fileName) const
{
    QFile f(dir.filePath(fileName));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

std::shared_ptr<QBXText> Series_Text(const QString& series, int index)
{
    auto g = std::make_shared<QBXText>();
    g->Set_Data_source_type(1);
    g->Set_Batch_List_Name(series);
    g->Set_Batch_List_Index(index);
    return g;
}

std::shared_ptr<QBXImage> Series_Picture(const QString& series)
{
    auto g = std::make_shared<QBXImage>();
    g->Set_Data_source_type(1);
    g->Set_Batch_List_Name(series);
    return g;
}

std::shared_ptr<QBXBarcode> Series_Barcode(const QString& series)
{
    auto g = std::make_shared<QBXBarcode>();
    g->Set_Data_source_type(1);
    g->Set_Batch_List_Name(series);
    return g;
}

std::shared_ptr<QBXText> Column_Text(int column)
{
    auto g = std::make_shared<QBXText>();
    g->Set_Data_source_type(2);
    g->Set_Excel_binding_Index(column);
    return g;
}

QString Tiny_Png(const QString& folder, const QString& name, Qt::GlobalColor colour)
{
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = folder + QLatin1Char('/') + name;
    image.save(path, "PNG");
    return path;
}

QString Shown_Text(const GraphicPtr& graphic)
{
    return graphic->Text_contents().text;
}

QStringList Problem_Lines(const QList<Card_Problem>& problems)
{
    QStringList lines;
    for (const Card_Problem& p : problems)
        lines << Problem_Line(p);
    return lines;
}
