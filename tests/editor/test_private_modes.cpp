// Files and folders the program keeps in its resource folder are private
// (folders 0700, files 0600) even under umask 000.
#include "app/Globals.h"
#include "batch/SeriesStore.h"
#include "support/file_mode.h"
#include "support_editor.h"

#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>

TEST(PrivateModes, PastedPicturesAndSeriesIgnoreTheUmask)
{
    StartedEditor e;
    ASSERT_TRUE(e.started);
    const mode_t saved = ::umask(0);
    QImage picture(3, 2, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    const QString pasted = e->storePastedPicture(picture);
    const bool seriesSaved = series::Save_Series(QStringLiteral("Private"), {QStringLiteral("a")}, series::Values::As_Given);
    ::umask(saved);

    ASSERT_FALSE(pasted.isEmpty());
    EXPECT_EQ(fileMode(QFileInfo(pasted).path()), 0700);
    EXPECT_EQ(fileMode(pasted), 0600);
    ASSERT_TRUE(seriesSaved);
    EXPECT_EQ(fileMode(*series::Series_Path(QStringLiteral("Private"))), 0600);
    QFile::remove(pasted);
    QFile::remove(*series::Series_Path(QStringLiteral("Private")));
}
