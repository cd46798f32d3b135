// The interface's widget classes and their registration: every class a file can create
// by name, with the properties it publishes.
#pragma once

#include "interface/QelForm.h"
#include "interface/QelInterfaceObject.h"
#include "interface/QelLabel.h"

class TQelClassReg;

// Registers the creatable widget classes under their class names.
void RegisterInterfaceClasses(TQelClassReg& classes);
