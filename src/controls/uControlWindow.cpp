#include "uControlWindow.h"

#include <stdexcept>

#include "uText.h"

namespace {

void ShowError(std::exception_ptr error) {
  std::string text = "Unexpected error";
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    text = e.what();
  } catch (...) {
  }
  MessageBoxW(nullptr, Widen(text).c_str(), L"Error", MB_OK | MB_ICONERROR);
}

TControlErrorHandler Handler = ShowError;

}  // namespace

void SetControlErrorHandler(TControlErrorHandler handler) {
  Handler = handler ? handler : ShowError;
}

void ReportControlError(std::exception_ptr error) { Handler(error); }
