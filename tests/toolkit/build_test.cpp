// Layout XML to controls: tags, attributes, repeats, custom tags, scale.
#include "tk_fixture.h"
#include "toolkit/builder.h"
#include "toolkit/containers.h"
#include "toolkit/controls.h"
#include "toolkit/edit.h"
#include "toolkit/scale.h"

using namespace dvdsp::tk;
using tktest::RecordingWindow;

namespace {

const char* kRes = R"(<Skin>
  <Layout key="XML_TEST" file="xml/test.xml"/>
  <Font id="1" name="DejaVu Sans" size="20" bold="true"/>
  <Default tag="Edit" maxchar="7"/>
</Skin>)";

const char* kLayout = R"(<Window size="400,300" title="${title}" caption="30">
  <VerticalLayout name="root" padding="4,4,4,4" spacing="2">
    <Label name="label" text="Plain ${hello}" tooltip="${hello}" height="20" font="1"/>
    <HorizontalLayout height="40">
      <Button name="btn" text="Go" width="100" userdata="7"/>
      <Option name="opt_a" group="g" selected="true" width="50"/>
      <Option name="opt_b" group="g" width="50"/>
      <CheckBox name="check" text="c" width="60" visible="false"/>
    </HorizontalLayout>
    <Edit name="edit" text="12" height="24"/>
    <Slider name="slider" min="-60" max="6" value="-5" height="20" enabled="false"/>
    <Combo name="combo" height="24"><Item text="${hello}" userdata="a"/><Item text="Two" userdata="b"/></Combo>
    <Progress name="progress" min="0" max="100" value="40" height="8"/>
    <List name="list" height="60"><Row text="r0" userdata="0"/><Row text="r1" userdata="1"/></List>
    <Container name="abs" height="60">
      <Repeat var="n" from="0" count="3">
        <Button name="rep_{n}" userdata="{n}" text="CH{n+1}" pos="{n*30+5},2,28,20"/>
      </Repeat>
    </Container>
    <cUsToM name="custom" height="10"/>
    <Gizmo name="unknown"/>
    <TabLayout name="tabs" selectedid="1" height="20">
      <Label name="page0"/><Label name="page1"/>
    </TabLayout>
  </VerticalLayout>
</Window>)";

class BuildTest : public tktest::ToolkitTest {
  protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        UseSkin({{"xml/res.xml", kRes}, {"xml/test.xml", kLayout}});
    }
};

TEST_F(BuildTest, BuildsEveryTagWithItsAttributes) {
    RecordingWindow w;
    ASSERT_TRUE(w.LoadLayout("XML_TEST"));
    EXPECT_EQ(w.size(), QSize(400, 300));
    ASSERT_NE(w.Find<Label>("label"), nullptr);
    EXPECT_EQ(w.Find<Label>("label")->text(),
              "Plain ${hello}");  // no language selected: visible key
    EXPECT_EQ(w.Find<Button>("btn")->UserDataInt(), 7);
    EXPECT_TRUE(w.Find<Option>("opt_a")->IsSelected());
    EXPECT_FALSE(w.Find<Option>("opt_b")->IsSelected());
    EXPECT_FALSE(w.Find<CheckBox>("check")->IsVisible());
    EXPECT_EQ(w.Find<Edit>("edit")->maxLength(), 7);  // from the skin's defaults
    auto* slider = w.Find<Slider>("slider");
    EXPECT_EQ(slider->Minimum(), -60);
    EXPECT_EQ(slider->Maximum(), 6);
    EXPECT_EQ(slider->Value(), -5);
    EXPECT_FALSE(slider->IsEnabled());
    auto* combo = w.Find<Combo>("combo");
    ASSERT_EQ(combo->ItemCount(), 2);
    EXPECT_EQ(combo->Item(1).userData, "b");
    EXPECT_EQ(w.Find<Progress>("progress")->Value(), 40);
    EXPECT_EQ(w.Find<List>("list")->RowCount(), 2);
    EXPECT_EQ(w.Find<Tabs>("tabs")->CurSel(), 1);
    EXPECT_EQ(w.Find<Label>("label")->font().pixelSize(), 20);
    EXPECT_TRUE(w.Find<Label>("label")->font().bold());
}

TEST_F(BuildTest, RepeatNumbersNamesDataAndPositions) {
    RecordingWindow w;
    ASSERT_TRUE(w.LoadLayout("XML_TEST"));
    for (int n = 0; n < 3; ++n) {
        auto* b = w.Find<Button>("rep_" + std::to_string(n));
        ASSERT_NE(b, nullptr) << n;
        EXPECT_EQ(b->UserDataInt(), n);
        EXPECT_EQ(b->Text(), QStringLiteral("CH%1").arg(n + 1));
        EXPECT_EQ(b->pos(), QPoint(n * 30 + 5, 2));
    }
    EXPECT_EQ(w.FindControl("rep_3"), nullptr);
    EXPECT_EQ(Builder::Substitute("a{n*2-1}b{m}", {{"n", 3}}), "a5b{m}");
}

TEST_F(BuildTest, CustomTagsAskTheWindowAndUnknownTagsGiveNoControl) {
    RecordingWindow w;
    ASSERT_TRUE(w.LoadLayout("XML_TEST"));
    EXPECT_NE(w.FindControl("custom"), nullptr);
    EXPECT_EQ(w.FindControl("unknown"), nullptr);
}

TEST_F(BuildTest, ScaleMultipliesSizesAndFonts) {
    RecordingWindow w;
    w.SetDpi(144);
    ASSERT_TRUE(w.LoadLayout("XML_TEST"));
    EXPECT_EQ(w.size(), QSize(600, 450));
    EXPECT_EQ(w.Find<Button>("btn")->width(), 150);
    EXPECT_EQ(w.Find<Button>("rep_2")->pos(), QPoint(98, 3));
    EXPECT_EQ(w.Find<Label>("label")->font().pixelSize(), 30);
    w.SetDpi(96);
    EXPECT_EQ(w.size(), QSize(400, 300));
    EXPECT_EQ(w.Find<Button>("btn")->width(), 100);
}

TEST(Scale, ValuesAndImageVariants) {
    EXPECT_EQ(Scaled(10, 96), 10);
    EXPECT_EQ(Scaled(10, 77), 8);
    EXPECT_EQ(Scaled(10, 120), 13);  // 12.5 rounds away from zero
    EXPECT_EQ(Scaled(-10, 120), -13);
    EXPECT_EQ(ImageVariantName("img/a.png", 77), "img/a@80.png");
    EXPECT_EQ(ImageVariantName("img/a.png", 96), "img/a.png");
    EXPECT_EQ(ImageVariantName("img/a.png", 120), "img/a@125.png");
    EXPECT_EQ(ImageVariantName("img/a.png", 144), "img/a@150.png");
    EXPECT_EQ(ImageVariantName("img/a.png", 192), "img/a@200.png");
    EXPECT_EQ(ImageVariantName("img/a.png", 288), "img/a@300.png");
    EXPECT_EQ(ImageVariantName("img.d/a", 144), "img.d/a@150");
}

TEST_F(BuildTest, LoadIntoAddsAVisiblePageToAShownWindow) {
    tktest::WriteFile(
        dir_.filePath("xml/page.xml"),
        R"(<Layout><Button name="late" text="x" pos="1,1,10,10"/><Label name="late_hidden" visible="false"/></Layout>)");
    ASSERT_TRUE(CurrentSkin().LoadFolder(dir_.path()));
    ASSERT_TRUE(CurrentSkin().LoadRoot());
    RecordingWindow w;
    ASSERT_TRUE(w.LoadLayout("XML_TEST"));
    w.ShowWindow();
    ASSERT_NE(w.LoadInto("abs", "xml/page.xml"), nullptr);
    EXPECT_TRUE(w.FindControl("late")->Widget()->isVisible());
    EXPECT_FALSE(w.FindControl("late_hidden")->Widget()->isVisible());
    EXPECT_EQ(w.LoadInto("no_such_container", "xml/page.xml"), nullptr);
}

TEST_F(BuildTest, MissingLayoutLeavesAnEmptyWindow) {
    RecordingWindow w;
    EXPECT_FALSE(w.LoadLayout("XML_NONE"));
    EXPECT_EQ(w.Root(), nullptr);
    EXPECT_EQ(w.FindControl("label"), nullptr);
}

TEST_F(BuildTest, RepeatArithmeticBeyondANumberIsLeftAsWritten) {
    const QHash<QString, int> vars{{"n", 5}};
    EXPECT_EQ(Builder::Substitute("{n*999999999999999999}", vars), "4999999999999999995");
    EXPECT_EQ(Builder::Substitute("{n*9999999999999999999}", vars), "{n*9999999999999999999}");
    EXPECT_EQ(Builder::Substitute("a{n*2000000000000000000}b", vars), "a{n*2000000000000000000}b");
    EXPECT_EQ(Builder::Substitute("{n+9223372036854775807}", vars), "{n+9223372036854775807}");
    EXPECT_EQ(Builder::Substitute("{n*-2000000000000000000-9000000000000000000}", vars),
              "{n*-2000000000000000000-9000000000000000000}");
    EXPECT_EQ(Builder::Substitute("{n-7}", vars), "-2");
}

TEST_F(BuildTest, ARunawayRepeatStopsAtTheBudget) {
    // Counting up to the largest number, nested, and repeating nothing a billion times.
    tktest::WriteFile(dir_.filePath("xml/big.xml"), R"(<Window><Container name="abs">
      <Repeat var="n" from="2147483646" count="5"><Label name="top_{n}"/></Repeat>
      <Repeat var="a" from="0" count="1000000000"/>
      <Repeat var="a" from="0" count="100000"><Repeat var="b" from="0" count="100000">
        <Label name="x"/></Repeat></Repeat>
      <Combo name="combo"><Repeat var="n" from="0" count="2000000000"><Item text="{n}"/></Repeat></Combo>
    </Container></Window>)");
    ASSERT_TRUE(CurrentSkin().LoadFolder(dir_.path()));
    RecordingWindow w;
    ASSERT_TRUE(w.LoadLayout("xml/big.xml"));
    EXPECT_NE(w.FindControl("top_2147483646"), nullptr);
    EXPECT_NE(w.FindControl("top_2147483647"), nullptr);
    EXPECT_LE(w.AllControls().size(), Builder::kMaxBuilt);
}

}  // namespace
