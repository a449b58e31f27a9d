#include "windows/viewer/symptom_picture.h"

#include "picture_files.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>

namespace tallomar {
namespace {

using test::middleColour;
using test::writeBytes;
using test::writePicture;

// A full path of this file system written the Windows way.
QString withBackslashes(QString path) {
    return path.replace(QLatin1Char('/'), QLatin1Char('\\'));
}

class SymptomPictureTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(root.isValid()); }
    QString toolFolder() const { return root.filePath(QStringLiteral("file")); }

    QTemporaryDir root;
};

TEST_F(SymptomPictureTest, BareNameLiesInTheToolPackageFolder) {
    writePicture(toolFolder() + QStringLiteral("/fig2.png"), Qt::red);
    EXPECT_EQ(symptomPicturePath(QStringLiteral("fig2.png"), toolFolder()), toolFolder() + QStringLiteral("/fig2.png"));
}

TEST_F(SymptomPictureTest, BareNameMatchesWithoutRegardToCase) {
    writePicture(toolFolder() + QStringLiteral("/Fig2.PNG"), Qt::red);
    EXPECT_EQ(symptomPicturePath(QStringLiteral("fig2.png"), toolFolder()), toolFolder() + QStringLiteral("/Fig2.PNG"));
}

TEST_F(SymptomPictureTest, BlanksAroundTheNameAreIgnored) {
    writePicture(toolFolder() + QStringLiteral("/fig2.png"), Qt::red);
    EXPECT_EQ(symptomPicturePath(QStringLiteral("  fig2.png   "), toolFolder()),
              toolFolder() + QStringLiteral("/fig2.png"));
}

TEST_F(SymptomPictureTest, NameWithABackslashIsAFullPath) {
    const QString elsewhere = root.filePath(QStringLiteral("Pics/fig2.png"));
    writePicture(elsewhere, Qt::green);
    EXPECT_EQ(symptomPicturePath(withBackslashes(elsewhere), toolFolder()), elsewhere);
    EXPECT_EQ(symptomPicturePath(withBackslashes(root.filePath(QStringLiteral("PICS/FIG2.png"))), toolFolder()),
              elsewhere);
}

TEST_F(SymptomPictureTest, DrivePathNamesNothingHere) {
    EXPECT_FALSE(QFileInfo::exists(symptomPicturePath(QStringLiteral("D:\\pics\\fig2.jpg"), toolFolder())));
}

TEST_F(SymptomPictureTest, EmptyOrBlankNameGivesNoPath) {
    EXPECT_TRUE(symptomPicturePath(QString(), toolFolder()).isEmpty());
    EXPECT_TRUE(symptomPicturePath(QStringLiteral("   "), toolFolder()).isEmpty());
}

TEST_F(SymptomPictureTest, LoadsPicturesOfTheCommonFormats) {
    writePicture(root.filePath(QStringLiteral("a.png")), Qt::red, "PNG");
    writePicture(root.filePath(QStringLiteral("a.bmp")), Qt::blue, "BMP");
    // Qt writes no GIF: a one-pixel red one, byte by byte.
    writeBytes(root.filePath(QStringLiteral("a.gif")),
               QByteArray("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\x00"
                          ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                          35));
    EXPECT_EQ(middleColour(loadSymptomPicture(root.filePath(QStringLiteral("a.png")))), QColor(Qt::red));
    EXPECT_EQ(middleColour(loadSymptomPicture(root.filePath(QStringLiteral("a.bmp")))), QColor(Qt::blue));
    EXPECT_EQ(middleColour(loadSymptomPicture(root.filePath(QStringLiteral("a.gif")))), QColor(Qt::red));
    writePicture(root.filePath(QStringLiteral("a.jpg")), Qt::white, "JPG");
    EXPECT_EQ(loadSymptomPicture(root.filePath(QStringLiteral("a.jpg"))).size(), QSize(40, 30));
}

TEST_F(SymptomPictureTest, PictureWhoseNameMisstatesItsFormatStillLoads) {
    writePicture(root.filePath(QStringLiteral("fig.jpg")), Qt::red, "PNG");
    EXPECT_EQ(middleColour(loadSymptomPicture(root.filePath(QStringLiteral("fig.jpg")))), QColor(Qt::red));
}

TEST_F(SymptomPictureTest, UnreadableMissingOrFolderGivesNoPicture) {
    writeBytes(root.filePath(QStringLiteral("notes.jpg")), "not a picture at all\r\n");
    EXPECT_TRUE(loadSymptomPicture(root.filePath(QStringLiteral("notes.jpg"))).isNull());
    EXPECT_TRUE(loadSymptomPicture(root.filePath(QStringLiteral("missing.png"))).isNull());
    EXPECT_TRUE(loadSymptomPicture(root.path()).isNull());
    EXPECT_TRUE(loadSymptomPicture(QString()).isNull());
}

}  // namespace
}  // namespace tallomar
