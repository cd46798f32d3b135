// Named objects, the class registry, property access by name, error chains and the hash.
#include "foundation/QelBaseClasses.h"
#include "foundation/QelHash.h"
#include "foundation/QelLog.h"

#include <gtest/gtest.h>

namespace {

enum class TAlign { taLeftJustify, taRightJustify, taCenter };

class TTestWidget : public TQelObject {
public:
    const char* ClassName() const override { return "TTestWidget"; }
    const TQelPropTable& Properties() const override { return StaticProperties(); }
    static const TQelPropTable& StaticProperties()
    {
        static const TQelPropTable table = [] {
            TQelPropTable t(&TQelObject::StaticProperties());
            TQelPropsOf<TTestWidget>(t)
                .Field("Visible", &TTestWidget::Visible)
                .Field("Alpha", &TTestWidget::Alpha)
                .Field("Color", &TTestWidget::Color)
                .Integer("Left", &TTestWidget::Left, &TTestWidget::SetLeft)
                .Field("Alignment", &TTestWidget::Alignment, {"taLeftJustify", "taRightJustify", "taCenter"})
                .Field("Caption", &TTestWidget::Caption)
                .Field("Hint", &TTestWidget::Hint);
            return t;
        }();
        return table;
    }
    int32_t Left() const { return left_; }
    void SetLeft(int32_t v)
    {
        left_ = v;
        ++LeftWrites;
    }
    void ForgetObject(const TQelObject* dying) override
    {
        TQelObject::ForgetObject(dying);
        if (Linked == dying)
            Linked = nullptr;
    }

    bool Visible = true;
    uint8_t Alpha = 255;
    uint32_t Color = 0;
    TAlign Alignment = TAlign::taLeftJustify;
    std::u16string Caption;
    std::string Hint;
    int LeftWrites = 0;
    TQelObject* Linked = nullptr;

private:
    int32_t left_ = 0;
};

class ObjectsTest : public ::testing::Test {
protected:
    ObjectsTest() : log_("", clock_, false)
    {
        log_.Enabled = true;
        log_.Listener = [this](const std::string& line) { Lines.push_back(line); };
        SetEngineLog(&log_);
        classes_.Register<TTestWidget>("TTestWidget");
    }
    ~ObjectsTest() override { SetEngineLog(nullptr); }

    TTestWidget& Widget(const std::string& name) { return dynamic_cast<TTestWidget&>(*engine_.GetObjectByName(name)); }

    TManualClock clock_;
    TQelLog log_;
    TQelClassReg classes_;
    TQelEngine engine_{classes_};
    std::vector<std::string> Lines;
};

TEST_F(ObjectsTest, DuplicateNameLeavesAnUnnamedObjectAndAThreeLineChain)
{
    EXPECT_EQ(engine_.AddObject("A", "", "TTestWidget"), 0);
    EXPECT_THROW(engine_.AddObject("A", "", "TTestWidget"), TQelException);
    ASSERT_EQ(engine_.Objects.size(), 2u);
    EXPECT_EQ(engine_.Objects[1]->Name(), "");
    EXPECT_EQ(Lines, (std::vector<std::string>{"[TQelEngine.SetName] The name \"A\" is present!",
                                              "Exception error in [TQelObject.SetName]",
                                              "Exception error in [TQelEngine.AddObject (ObjectName: \"A\") ]"}));
}

TEST_F(ObjectsTest, CreationByClassName)
{
    EXPECT_EQ(engine_.AddObject("X", "", "NoSuchClass"), -1);
    EXPECT_EQ(engine_.AddObject("X", "", "ttestwidget"), -1);  // class names are case-sensitive
    EXPECT_TRUE(engine_.Objects.empty());
    EXPECT_TRUE(Lines.empty());
    ASSERT_EQ(engine_.AddObject("X", "P", "TTestWidget"), 0);
    EXPECT_EQ(Widget("X").Engine, &engine_);
    EXPECT_EQ(Widget("X").ParentName, "P");
    EXPECT_STREQ(engine_.Objects[0]->ClassName(), "TTestWidget");
}

TEST_F(ObjectsTest, NamesAndParents)
{
    engine_.AddObject("Parent", "", "TTestWidget");
    engine_.AddObject("Child", "Parent", "TTestWidget");
    engine_.AddObject("Orphan", "Nobody", "TTestWidget");
    Widget("Child").SetName("Child");  // its own name again: no check
    EXPECT_TRUE(Lines.empty());
    engine_.SetParents();
    EXPECT_EQ(Widget("Child").ParentObject, engine_.GetObjectByName("Parent"));
    EXPECT_EQ(Widget("Orphan").ParentObject, nullptr);
    EXPECT_EQ(engine_.GetObjectIndexByName("Orphan"), 2);
    EXPECT_EQ(engine_.GetObjectIndexByName("orphan"), -1);  // object names are exact
    EXPECT_EQ(engine_.GetObjectIndexByName(""), -1);
    engine_.AddObject("", "", "TTestWidget");
    EXPECT_EQ(engine_.GetObjectIndexByName(""), 3);
}

TEST_F(ObjectsTest, DeletionClosesTheGapAndClearsLinks)
{
    engine_.AddObject("A", "", "TTestWidget");
    engine_.AddObject("B", "A", "TTestWidget");
    engine_.AddObject("C", "", "TTestWidget");
    engine_.SetParents();
    Widget("C").Linked = engine_.GetObjectByName("A");
    engine_.DeleteObject(-1);
    engine_.DeleteObject(3);
    engine_.DeleteObject("Nobody");
    EXPECT_EQ(engine_.Objects.size(), 3u);
    engine_.DeleteObject("A");
    ASSERT_EQ(engine_.Objects.size(), 2u);
    EXPECT_EQ(engine_.GetObjectIndexByName("B"), 0);
    EXPECT_EQ(Widget("B").ParentObject, nullptr);
    EXPECT_EQ(Widget("C").Linked, nullptr);
    engine_.Clear();
    EXPECT_TRUE(engine_.Objects.empty());
}

struct PropertyCase {
    const char* property;
    const char* value;
    bool accepted;
    const char* readBack;  // what GetObjectValue gives afterwards
};

TEST_F(ObjectsTest, PropertyValuesAreConvertedByType)
{
    engine_.AddObject("W", "", "TTestWidget");
    const PropertyCase cases[] = {
        {"Visible", "false", true, "False"},
        {"visible", "TRUE", true, "True"},  // property names and identifiers without case
        {"Visible", "yes", false, "True"},
        {"Alpha", "128", true, "128"},
        {"Alpha", "300", false, "128"},
        {"Alpha", "-1", false, "128"},
        {"Alpha", "12.9", true, "12"},  // truncated toward zero
        {"Left", "-40", true, "-40"},
        {"Left", "-3.7", true, "-3"},
        {"Left", "abc", false, "-3"},
        {"Left", "4294967296", false, "-3"},
        {"Color", "4294967295", true, "4294967295"},
        {"Color", "-1", false, "4294967295"},
        {"Alignment", "TACENTER", true, "taCenter"},
        {"Alignment", "taMiddle", false, "taCenter"},
        {"Hint", "any <text> \"at all\"", true, "any <text> \"at all\""},
        {"Caption", "Zoë Привет", true, "Zoë Привет"},
        {"Tag", "7", true, "7"},
        {"ParentName", "Frame", true, "Frame"},
    };
    for (const PropertyCase& c : cases) {
        Lines.clear();
        if (c.accepted) {
            EXPECT_TRUE(engine_.SetObjectProperty("W", c.property, c.value)) << c.property << "=" << c.value;
            EXPECT_TRUE(Lines.empty()) << c.property << "=" << c.value;
        } else {
            EXPECT_THROW(engine_.SetObjectProperty("W", c.property, c.value), TQelException) << c.property;
            ASSERT_EQ(Lines.size(), 2u) << c.property << "=" << c.value;
            EXPECT_EQ(Lines[0], std::string("Exception error in [TQelEngine.SetObjectProperty (SetPropValue)] Object Name: "
                                            "\"W\" Property: \"") +
                                    c.property + "\" Value: " + c.value);
            EXPECT_EQ(Lines[1], "Exception error in [TQelEngine.SetObjectProperty]");
        }
        EXPECT_EQ(VariantToString(engine_.GetObjectValue("W", c.property)), c.readBack) << c.property << "=" << c.value;
    }
    EXPECT_EQ(Widget("W").Caption, u"Zoë Привет");
    EXPECT_EQ(Widget("W").LeftWrites, 2);  // writes go through the setter
}

TEST_F(ObjectsTest, UnknownObjectsAndProperties)
{
    engine_.AddObject("W", "", "TTestWidget");
    EXPECT_FALSE(engine_.SetObjectProperty("Nobody", "Visible", "True"));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(engine_.GetObjectValue("Nobody", "Visible")));
    EXPECT_TRUE(Lines.empty());
    EXPECT_THROW(engine_.SetObjectProperty("W", "NoSuchProperty", "1"), TQelException);
    EXPECT_THROW(engine_.GetObjectValue("W", "NoSuchProperty"), TQelException);
    EXPECT_EQ(Lines.back(), "Exception error in [TQelEngine.GetObjectValue]");
}

TEST_F(ObjectsTest, NameIsAPublishedPropertyWithItsCheck)
{
    engine_.AddObject("A", "", "TTestWidget");
    engine_.AddObject("B", "", "TTestWidget");
    EXPECT_THROW(engine_.SetObjectProperty("B", "Name", "A"), TQelException);
    EXPECT_TRUE(engine_.SetObjectProperty("B", "Name", "C"));
    EXPECT_EQ(engine_.GetObjectIndexByName("C"), 1);
}

TEST_F(ObjectsTest, PropertiesAreListedBaseFirst)
{
    std::vector<std::string> names;
    for (const TQelPropInfo* p : TTestWidget::StaticProperties().All())
        names.push_back(p->Name);
    EXPECT_EQ(names, (std::vector<std::string>{"ParentName", "Name", "Tag", "Visible", "Alpha", "Color", "Left",
                                               "Alignment", "Caption", "Hint"}));
}

TEST_F(ObjectsTest, AssignCopiesOnlyTagAndEngine)
{
    engine_.AddObject("A", "P", "TTestWidget");
    Widget("A").Tag = 9;
    TTestWidget copy;
    copy.Assign(Widget("A"));
    EXPECT_EQ(copy.Tag, 9);
    EXPECT_EQ(copy.Engine, &engine_);
    EXPECT_EQ(copy.Name(), "");
    EXPECT_EQ(copy.ParentName, "");
}

TEST(QelHash, KnownHashes)
{
    // Worked out by hand from the permutation's generator and the mixing steps.
    const std::pair<const char*, int32_t> cases[] = {
        {"", 1},  // a hash of 0 becomes (length mod 8) + 1
        {"a", 57344},
        {"ab", 48352},
        {"ba", 57532},
        {"MemorySurface", 51254},
        {"BackGround", 61508},
        {"Cursor.png", 53747},
    };
    for (const auto& [key, hash] : cases)
        EXPECT_EQ(TQelHash::HashOf(key), hash) << key;
}

TEST(QelHash, PutFindRemove)
{
    TQelHash hash;
    hash.Put("one", 1);
    hash.Put("two", 2);
    hash.Put("one", 11);
    EXPECT_EQ(hash.Get("one"), 11);
    EXPECT_EQ(hash.Get("One"), -1);  // keys are case-sensitive
    TQelHash::TPosition where;
    ASSERT_TRUE(hash.Find("two", &where));
    EXPECT_EQ(hash.Record(where).Value, 2);
    hash.Remove("two");
    EXPECT_FALSE(hash.Find("two"));
    hash.Remove("two");
    hash.Clear();
    EXPECT_FALSE(hash.Find("one"));
}

TEST(QelHash, RemoveMovesTheBucketsLastRecordIntoPlace)
{
    // Find three keys that share a bucket.
    std::vector<std::string> same;
    int bucket = TQelHash::HashOf("k0") & TQelHash::kMask;
    for (int i = 0; same.size() < 3 && i < 100000; ++i) {
        std::string key = "k" + std::to_string(i);
        if ((TQelHash::HashOf(key) & TQelHash::kMask) == bucket)
            same.push_back(key);
    }
    ASSERT_EQ(same.size(), 3u);
    TQelHash hash;
    for (size_t i = 0; i < same.size(); ++i)
        hash.Put(same[i], static_cast<int32_t>(i));
    hash.Remove(same[0]);
    const auto& records = hash.Bucket(bucket);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Key, same[2]);
    EXPECT_EQ(records[1].Key, same[1]);
    EXPECT_EQ(hash.Get(same[1]), 1);
    EXPECT_EQ(hash.Get(same[2]), 2);
}

}  // namespace
