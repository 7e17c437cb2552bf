// The skin archive: packing with the password, reading back, refusing a wrong password.
#include <quazip/quacrc32.h>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>
#include <QBuffer>
#include <QFile>

#include "tk_fixture.h"
#include "toolkit/skin_pack.h"

using namespace dvdsp::tk;

namespace {

const char* kSvg =
    R"(<svg xmlns="http://www.w3.org/2000/svg" width="20" height="10"><rect width="20" height="10" fill="#ff0000"/></svg>)";

class SkinPackTest : public tktest::ToolkitTest {
  protected:
    QByteArray Pack() {
        tktest::WriteFile(
            dir_.filePath("src/xml/res.xml"),
            R"(<Skin><Layout key="XML_A" file="xml/a.xml"/><Style file="style.qss"/></Skin>)");
        tktest::WriteFile(dir_.filePath("src/xml/a.xml"), "<Window/>");
        tktest::WriteFile(dir_.filePath("src/style.qss"), "QWidget { color: red; }");
        tktest::WriteFile(dir_.filePath("src/images/dot.svg"), kSvg);
        QString error;
        QString zip = dir_.filePath("skin.zip");
        EXPECT_TRUE(PackSkin(dir_.filePath("src"), zip, kSkinPassword, &error))
            << error.toStdString();
        QFile f(zip);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
};

TEST_F(SkinPackTest, MembersReadBackWithThePassword) {
    QByteArray zip = Pack();
    Skin skin;
    ASSERT_TRUE(skin.LoadArchive(zip, kSkinPassword));
    EXPECT_EQ(skin.Read("xml/a.xml"), "<Window/>");
    EXPECT_EQ(skin.Read("xml\\a.xml"), "<Window/>");
    ASSERT_TRUE(skin.LoadRoot("xml\\res.xml"));
    EXPECT_EQ(skin.LayoutFile("XML_A"), "xml/a.xml");
    EXPECT_EQ(skin.StyleSheet(), "QWidget { color: red; }");
    EXPECT_FALSE(skin.Has("images/dot.svg"));
    // Every scale variant is rendered at its size.
    const std::pair<const char*, QSize> variants[] = {
        {"images/dot@80.png", {16, 8}},   {"images/dot.png", {20, 10}},
        {"images/dot@125.png", {25, 13}}, {"images/dot@150.png", {30, 15}},
        {"images/dot@200.png", {40, 20}}, {"images/dot@300.png", {60, 30}}};
    for (const auto& [name, size] : variants) {
        QPixmap pix;
        ASSERT_TRUE(pix.loadFromData(skin.Read(name))) << name;
        EXPECT_EQ(pix.size(), size) << name;
    }
    EXPECT_EQ(skin.Image("images/dot.png", 144).size(), QSize(30, 15));
}

TEST_F(SkinPackTest, AFolderEntryInEitherSeparatorIsNoMember) {
    QByteArray zip;
    {
        QBuffer buffer(&zip);
        QuaZip archive(&buffer);
        ASSERT_TRUE(archive.open(QuaZip::mdCreate));
        for (const char* name : {"images\\", "xml\\a.xml", "\\"}) {
            const QByteArray data = QByteArray(name).endsWith('l') ? "<Window/>" : "";
            QuaCrc32 crc;
            crc.update(data);
            QuaZipFile file(&archive);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly, QuaZipNewInfo(QString::fromLatin1(name)), kSkinPassword,
                                  crc.value()));
            file.write(data);
            file.close();
        }
        archive.close();
    }
    Skin skin;
    ASSERT_TRUE(skin.LoadArchive(zip, kSkinPassword));
    EXPECT_EQ(skin.Members(), QStringList{"xml/a.xml"});
    EXPECT_EQ(skin.Read("xml\\a.xml"), "<Window/>");
}

TEST_F(SkinPackTest, AWrongPasswordIsRefused) {
    QByteArray zip = Pack();
    Skin skin;
    EXPECT_FALSE(skin.LoadArchive(zip, "not-the-password"));
    EXPECT_FALSE(skin.Loaded());
    EXPECT_FALSE(skin.LoadArchive(QByteArray("garbage"), kSkinPassword));
    EXPECT_FALSE(skin.LoadArchive(QByteArray(), kSkinPassword));
    // Members are really encrypted: the plain text does not appear in the archive.
    EXPECT_FALSE(zip.contains("color: red"));
}

TEST_F(SkinPackTest, AMissingFolderOrBadSvgFails) {
    QString error;
    EXPECT_FALSE(PackSkin(dir_.filePath("none"), dir_.filePath("x.zip"), kSkinPassword, &error));
    tktest::WriteFile(dir_.filePath("bad/images/x.svg"), "not svg");
    EXPECT_FALSE(PackSkin(dir_.filePath("bad"), dir_.filePath("y.zip"), kSkinPassword, &error));
    EXPECT_TRUE(error.contains("x.svg"));
}

}  // namespace
