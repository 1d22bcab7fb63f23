// Copying the report: a fresh block per copy, handed to the clipboard as OEM text.
#include <string.h>

#include "app/shell.h"

namespace vx {

void CopyReportToClipboard(HWND owner) {
  const Text<kReportCapacity>& text = g_shell.context.report->joined;
  SIZE_T size = text.Length() + 1;  // with the terminating zero
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
  if (block == nullptr) return;
  void* bytes = GlobalLock(block);
  if (bytes == nullptr) {
    GlobalFree(block);
    return;
  }
  memcpy(bytes, text.c_str(), size);
  GlobalUnlock(block);
  // Another program may hold the clipboard: then it keeps its content and the block is ours to free.
  if (!OpenClipboard(owner)) {
    GlobalFree(block);
    return;
  }
  EmptyClipboard();
  // From here on the block belongs to the clipboard, unless it refused it.
  if (SetClipboardData(CF_OEMTEXT, block) == nullptr) GlobalFree(block);
  CloseClipboard();
}

}  // namespace vx
