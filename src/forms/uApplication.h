// The program around the forms: start-up of the window layer, the application's title, the
// three message boxes, and the one top-level handler that shows an error's message.
#pragma once

#include <exception>
#include <string>
#include <string_view>

// Registers the form class, makes the common controls and the archive's hooks ready (window
// messages run between output blocks). Call once, before the first form.
void InitApplication();

// Title of the information box; the executable's name without extension until set.
void SetApplicationTitle(std::string_view utf8);
std::string ApplicationTitle();

enum TMessageKind {
  mkInformation,  // one "OK", the application's title
  mkError,        // titled "Fehler", one "OK"
  mkConfirmation  // titled "Bestätigung", "OK" and "Abbrechen"
};

// The boxes in the languages the setup uses: titles and buttons are German in both, only the
// message follows the setup language. The message is shown exactly as given (a lone carriage
// return breaks the line).
void ShowMessageBox(std::string_view utf8);
void ShowErrorBox(std::string_view utf8);
// True for "OK"; "Abbrechen", Escape and the close box give false.
bool ConfirmBox(std::string_view utf8);

// The seam behind the three boxes, for tests: answers with a modal result (mrOk, mrCancel).
// nullptr restores the real boxes.
using TMessageBoxFunc = int (*)(TMessageKind kind, const std::string& text);
void SetMessageBoxFunc(TMessageBoxFunc func);
// The real box, whatever the seam says.
int RunMessageBox(TMessageKind kind, const std::string& text);

// The application's general error display: the message of the exception in an error box.
// Safe to call while such a box is already open (the second one is a plain system box).
// Its signature suits SetControlErrorHandler of the controls.
void HandleException(std::exception_ptr error);
// For catch (...) blocks: the exception being handled.
void HandleCurrentException();
// The text shown for an exception.
std::string ExceptionMessage(std::exception_ptr error);
