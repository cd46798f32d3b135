#include "gameplay/InterfaceLevelWindows.h"

#include "interface/QelForm.h"
#include "interface/QelInterfaceEngine.h"

bool TInterfaceLevelWindows::SetObjectProperty(const std::string& objectName, const std::string& propName,
                                               const std::string& value)
{
    return engine_.SetObjectProperty(objectName, propName, value);
}

TQelVariant TInterfaceLevelWindows::GetObjectValue(const std::string& objectName, const std::string& propName) const
{
    return engine_.GetObjectValue(objectName, propName);
}

void TInterfaceLevelWindows::ShowModal(const std::string& name) { engine_.ShowModal(name); }
void TInterfaceLevelWindows::HideModal(const std::string& name) { engine_.HideModal(name); }

bool TInterfaceLevelWindows::IsTopWindow(const std::string& name) const
{
    const TQelForm* top = engine_.TopModal();
    return top && top->Name() == name;
}
