// The skeleton of the two pages that work by themselves, preparation and unpacking: shown and
// painted first, delay ms later the page's work runs inside the page's own message loop (window
// messages run between output blocks, so the page paints and takes clicks meanwhile). The
// work's end closes the page; an exception that ended it closes the page too and is raised
// again by Show once the page has gone, for the caller to show. Cancel or the close box before
// the end ask the confirmation: continuing keeps the page, aborting calls Aborted. Clicks while
// the work runs change nothing: the page's close query waits for the work.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>

#include "class_Compress.h"
#include "diaPageFrame.h"

class TWorkPage {
 public:
  TWorkPage(const TFormDef& design, unsigned delayMs);

  TForm Form;
  TQuillCompress Archive;

  std::function<void()> Prepare;  // on show, after the language's texts, before the delay
  std::function<void()> Work;     // may throw
  // The close once the work has ended; failed: by an exception.
  std::function<void(bool failed)> Ended;
  std::function<void()> Aborted;  // the user aborted before the end

  // Shows the page modally in language; true when the work ended without an exception.
  bool Show(std::int32_t language, const TConfirmContinue& confirmContinue);

 private:
  void RunWork();

  TOneShotTimer& Timer;
  std::exception_ptr Failure;
  bool Done = false;
};
