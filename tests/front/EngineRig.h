#pragma once
// One engine assembled from scripted windows, the demo renderer and a
// scripted shell, as the main dialog assembles the real one.
#include <string>
#include <vector>

#include "front/ConversionDriver.h"
#include "front/demo/DemoRender.h"
#include "tests/front/ScriptedWindows.h"

namespace tal::front::testing {

struct TEngineRig {
    explicit TEngineRig(const TEngineProfile& profile, TPathStyle style = HostPathStyle())
        : Boxes(Log),
          Window(Log),
          NameForm(profile, Boxes, State, style),
          NameView(Log, NameForm),
          Shell(Log),
          Driver(profile, State, Window, Boxes, NameForm, Render, Shell, style) {}

    // Starts the engine with the host's two arguments.
    void Start(const std::string& first, const std::string& command) { Driver.FormCreate({first, command}); }

    std::vector<std::string> Log;
    TEngineState State;
    TScriptedBoxes Boxes;
    TScriptedMainWindow Window;
    TNameForm NameForm;
    TScriptedNameView NameView;
    TScriptedShell Shell;
    TDemoRender Render;
    TConversionDriver Driver;
};

}  // namespace tal::front::testing
