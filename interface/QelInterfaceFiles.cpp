// Interface and modificator files: the objects an interface file creates, its default
// lines, the property values it applies, and the values a modificator changes and
// restores.
#include "interface/QelInterfaceEngine.h"

#include "foundation/DataSource.h"
#include "foundation/MemoryStream.h"
#include "foundation/Text.h"

static const std::string kCreatePrefix = "[TQelInterfaceEngine.CreateInterfaceObjects] ";

void TQelInterfaceEngine::LoadFromFile(const std::filesystem::path& path)
{
    QelGuard("TQelInterfaceEngine.LoadFromFile", [&] {
        try {
            document_.LoadFromFile(path);
        } catch (const std::runtime_error& e) {
            throw TQelException("[TQelInterfaceEngine.LoadFromFile] " + std::string(e.what()));
        }
        LoadDocument();
    });
}

void TQelInterfaceEngine::LoadFromStream(TMemoryStream& stream)
{
    QelGuard("TQelInterfaceEngine.LoadFromStream", [&] {
        document_.LoadFromStream(stream);
        LoadDocument();
    });
}

void TQelInterfaceEngine::LoadFromText(std::string_view text)
{
    QelGuard("TQelInterfaceEngine.LoadFromStream", [&] {
        document_.LoadFromText(text);
        LoadDocument();
    });
}

void TQelInterfaceEngine::LoadFromSource(const TDataSource& source, const std::string& name)
{
    QelGuard("TQelInterfaceEngine.LoadFromStream", [&] {
        std::string error;
        auto bytes = source.Read(name, &error);
        if (!bytes)
            throw TQelException("[TQelInterfaceEngine.LoadFromStream] " + name + ": " + error);
        document_.LoadFromText(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
        LoadDocument();
    });
}

void TQelInterfaceEngine::LoadDocument()
{
    if (document_.ChildCount() > 0)
        if (const TQelParserAttribute* version = document_.GetChild(0)->GetAttributeByName("Version")) {
            version_ = version->Value;
            versionRead_ = true;
        }
    UpdateScreenSize();
    CreateInterfaceObjects();
    SetParents();
    ForEachForm([](TQelForm& form) { form.CollectChilds(); });
    struct TReading {
        std::string& state;
        ~TReading() { state.clear(); }
    } reading{readingState_};
    readingState_ = kReadingState;
    SetPropByTag(false);
    readingState_.clear();
    ForEachForm([](TQelForm& form) { form.BuildFocusList(); });
    for (auto& object : Objects)
        if (auto* o = dynamic_cast<TQelInterfaceObject*>(object.get()))
            o->Invalidated = false;
}

std::string TQelInterfaceEngine::GetInfo() const
{
    // The file line is spelled as the log readers know it.
    const std::string line = versionRead_ ? "QelInterafce XML file: V" + version_ : "QelInterface XML file: -";
    return "QelInterfaceInfo:\r\n\t\t" + line + "\r\n\t\tQelInterfaceEngine: V4.00 (25.05.06)\r\n\t\t" +
           "QelInterfaceClasses: V4.00 (25.05.06)";
}

std::optional<TMemoryStream> TQelInterfaceEngine::GetInterfaceStream(const std::string& name) const
{
    if (!InterfaceFolder)
        return std::nullopt;
    return QelGuardMessage("Exception error in QelInterfaceEngine. Variable InterfaceFolder not assignment!", [&] {
        auto bytes = InterfaceFolder->Read(name);
        if (!bytes)
            throw std::runtime_error("no entry " + name);
        return std::optional<TMemoryStream>(TMemoryStream(std::move(*bytes)));
    });
}

// ---------------------------------------------------------------------------------------
// Creating the objects

void TQelInterfaceEngine::CreateInterfaceObjects()
{
    auto fail = [](const std::string& message) { throw TQelException(kCreatePrefix + message); };
    try {
        if (document_.ChildCount() == 0)
            fail("XML file does not has tags!");
        TQelXMLTag& root = *document_.GetChild(0);
        if (root.ChildCount() == 0)
            return;
        if (root.Name != "QelInterface")
            fail("XML file does not has \"QelInterface\" tag!");
        // By index: default lines append elements to the objects while they are read.
        for (size_t i = 0; i < root.ChildCount(); ++i) {
            TQelXMLTag& o = *root.Children[i];
            if (o.Name != "o")
                fail("QelInterface XML file contains wrong tag!");
            if (o.AttributeCount() != 1)
                fail("Tag <o> has wrong number of attributes!");
            if (o.Attributes[0]->Name != "c")
                fail("Tag <o> does not has \"c\" attribute!");
            if (o.ChildCount() == 0)
                fail("Tag <o> does not has subtags!");
            const std::string className = o.Attributes[0]->Value;
            const bool defaults = className == "TQelDefaults";
            std::string name, parentName;
            for (size_t k = 0; k < o.ChildCount(); ++k) {
                TQelXMLTag& p = *o.Children[k];
                if (p.Name != "p")
                    fail("[ClassName:TQelInterfaceEngine] Tag <o> contains wrong subtag!");
                if (p.AttributeCount() != 1)
                    fail("[ClassName:TQelInterfaceEngine] Tag <p> has wrong number of attributes!");
                if (p.Attributes[0]->Name != "n")
                    fail("[ClassName:TQelInterfaceEngine] Tag <p> does not has \"n\" attribute!");
                const std::string& n = p.Attributes[0]->Value;
                if (defaults) {
                    if (n != "DefLine")
                        fail("[ClassName:TQelDefaults] Tag <p> has wrong \"n\" attribute value!");
                    ApplyDefaultLine(root, std::string(p.Text));
                } else if (n == "Name") {
                    name = p.Text;
                } else if (n == "ParentName") {
                    parentName = p.Text;
                }
            }
            if (defaults)
                continue;
            if (name.empty() || parentName.empty())
                fail("[ClassName:" + className + "] Attribute <n> does not has Name: \"ParentName\" or \"Name\"!");
            AddObject(name, parentName, className);
        }
    } catch (const std::exception&) {
        // The chain is in the engine log; the objects made before the error stay.
    }
}

void TQelInterfaceEngine::ApplyDefaultLine(TQelXMLTag& root, const std::string& line)
{
    std::string className, property, value;
    bool split = true;
    try {
        size_t first = line.find(';');
        size_t second = first == std::string::npos ? first : line.find(';', first + 1);
        if (second == std::string::npos)
            throw TQelException("[TQelInterfaceEngine.DefLinePars] \";\" not found!");
        className = Trim(line.substr(0, first));
        property = Trim(line.substr(first + 1, second - first - 1));
        value = line.substr(second + 1);
    } catch (const TQelException&) {
        split = false;
    }
    try {
        auto hasBreak = [](const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; };
        if (!split || hasBreak(className) || hasBreak(property) || hasBreak(value))
            throw TQelException("[TQelInterfaceEngine.ApplyDefaultLine] DefLine does not have 3 parameters!");
    } catch (const TQelException&) {
        return;
    }
    for (size_t i = 0; i < root.ChildCount(); ++i) {
        TQelXMLTag& o = *root.Children[i];
        if (o.Name != "o" || o.AttributeCount() == 0 || o.Attributes[0]->Name != "c" ||
            o.Attributes[0]->Value != className || o.ChildCount() == 0)
            continue;
        bool given = false;
        for (const auto& p : o.Children)
            if (p->Name == "p" && p->AttributeValue("n") == property)
                given = true;
        if (!given)
            o.AddChild("p", value)->AddAttribute("n", property);
    }
}

// ---------------------------------------------------------------------------------------
// Applying the values

void TQelInterfaceEngine::SetPropByTag(bool modificator)
{
    QelGuard("TQelInterfaceEngine.SetPropByTag", [&] {
        const char* rootName = modificator ? "QelModificator" : "QelInterface";
        TQelXMLTag* root = document_.GetChildByName(rootName);
        if (!root)
            return;
        // The defaults object is expected first; whatever stands first is passed over.
        const size_t first = !modificator && root->FindChild("o(c\"TQelDefaults\")") ? 1 : 0;
        for (size_t i = first; i < root->ChildCount(); ++i) {
            const TQelXMLTag& o = *root->Children[i];
            if (o.Name != "o" || o.ChildCount() == 0)
                continue;
            std::string name;
            bool named = false;
            for (const auto& p : o.Children) {
                // A malformed value element ends the whole pass: later objects get no values.
                if (p->Name != "p" || p->AttributeCount() != 1 || p->Attributes[0]->Name != "n")
                    return;
                if (p->Attributes[0]->Value == "Name") {
                    name = p->Text;
                    named = true;
                }
            }
            if (!named || !GetObjectByName(name))
                continue;
            for (const auto& p : o.Children) {
                const std::string& property = p->Attributes[0]->Value;
                try {
                    if (modificator && property != "Name") {
                        bool recorded = false;
                        for (const TModProp& m : modProps_)
                            if (m.Object == name && m.Prop == property)
                                recorded = true;
                        if (!recorded)
                            modProps_.push_back({name, property, VariantToString(GetObjectValue(name, property))});
                    }
                    SetObjectProperty(name, property, p->Text);
                } catch (const std::exception&) {
                    ShowMessage("Exception error in [TQelInterfaceEngine.SetPropByTag] [Name:" + name +
                                "] [Property:" + property + "] [Value:" + p->Text + "]");
                }
            }
        }
    });
}

void TQelInterfaceEngine::LoadModificator(const std::filesystem::path& path)
{
    QelGuard("TQelInterfaceEngine.LoadModificator", [&] {
        try {
            document_.LoadFromFile(path);
        } catch (const std::runtime_error& e) {
            throw TQelException("[TQelInterfaceEngine.LoadModificator] " + std::string(e.what()));
        }
        SetPropByTag(true);
    });
}

void TQelInterfaceEngine::LoadModificatorFromText(std::string_view text)
{
    QelGuard("TQelInterfaceEngine.LoadModificator", [&] {
        document_.LoadFromText(text);
        SetPropByTag(true);
    });
}

void TQelInterfaceEngine::RestoreModificators()
{
    QelGuard("TQelInterfaceEngine.RestoreModificators", [&] {
        for (size_t i = 0; i < Objects.size(); ++i) {
            const std::string name = Objects[i]->Name();
            for (const TModProp& m : std::vector<TModProp>(modProps_))
                if (m.Object == name) {
                    try {
                        SetObjectProperty(m.Object, m.Prop, m.Value);
                    } catch (const std::exception&) {
                        // The chain is in the log; the other values are still restored.
                    }
                }
        }
    });
}
