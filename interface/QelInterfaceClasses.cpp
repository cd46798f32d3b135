// Registration of the creatable widget classes.
#include "interface/QelInterfaceClasses.h"

#include "interface/QelEdit.h"
#include "interface/QelEffectLabel.h"
#include "interface/QelGrid.h"
#include "interface/QelHint.h"
#include "interface/QelMemo.h"
#include "interface/QelRichLabel.h"
#include "interface/QelTree.h"

void RegisterInterfaceClasses(TQelClassReg& classes)
{
    classes.Register<TQelForm>("TQelForm");
    classes.Register<TQelTabForm>("TQelTabForm");
    classes.Register<TQelLabel>("TQelLabel");
    classes.Register<TQelCheckBox>("TQelCheckBox");
    classes.Register<TQelRadioButton>("TQelRadioButton");
    classes.Register<TQelRichLabel>("TQelRichLabel");
    classes.Register<TQelEffectLabel>("TQelEffectLabel");
    classes.Register<TQelHint>("TQelHint");
    classes.Register<TQelSlider>("TQelSlider");
    classes.Register<TQelProgressBar>("TQelProgressBar");
    classes.Register<TQelFigure>("TQelFigure");
    classes.Register<TQelMoving>("TQelMoving");
    classes.Register<TQelEffect>("TQelEffect");
    classes.Register<TQelEdit>("TQelEdit");
    classes.Register<TQelMemo>("TQelMemo");
    classes.Register<TQelGrid>("TQelGrid");
    classes.Register<TQelTree>("TQelTree");
}
