#include "front/console/ConsoleEngine.h"

#include "front/ConversionDriver.h"
#include "front/EngineState.h"
#include "front/NameU.h"
#include "front/console/ConsoleDialogs.h"

namespace tal::front {

int RunConsoleEngine(const TEngineProfile& profile, TRPRender& renderer, TShell& shell,
                     const std::vector<std::string>& arguments, TTerminal& terminal) {
    TEngineState state;
    TConsoleMessageBoxes boxes(terminal);
    TNameForm nameForm(profile, boxes, state);
    TConsoleNameView nameView(terminal, nameForm, profile);
    nameForm.AttachView(nameView);
    TConsoleMainDialog window(terminal, profile);
    TConversionDriver driver(profile, state, window, boxes, nameForm, renderer, shell);
    driver.FormCreate(arguments);
    window.Run(driver);
    return 0;
}

}  // namespace tal::front
