// The interface's widget classes and their registration: every class a file can create
// by name, with the properties it publishes.
#pragma once

#include "interface/QelEffectWidget.h"
#include "interface/QelFigure.h"
#include "interface/QelForm.h"
#include "interface/QelInterfaceObject.h"
#include "interface/QelLabel.h"
#include "interface/QelMoving.h"
#include "interface/QelProgressBar.h"
#include "interface/QelSlider.h"

class TQelClassReg;

// Registers the creatable widget classes under their class names.
void RegisterInterfaceClasses(TQelClassReg& classes);
