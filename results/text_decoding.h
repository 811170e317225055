// Names in engine reports are bytes: the engine copies a name from the model
// file and cuts it by bytes to the report's 60 columns, and files from older
// Windows tools are in Windows-1252. Every view and export of a report
// decodes them one way, here: valid UTF-8 as it is, a character cut at the
// end of a full field dropped, every other byte as the Windows-1252
// character it is.
#pragma once

#include <string>
#include <string_view>

namespace vek {

// `bytes` as UTF-8. With `mayBeCut` set (the text filled its field, so the
// writer may have cut it there) an incomplete UTF-8 character at the very
// end is dropped; otherwise its bytes are read as Windows-1252 like any
// other byte that is not UTF-8. The five bytes Windows-1252 leaves undefined
// become U+FFFD. Valid UTF-8 comes back unchanged, so decoding twice changes
// nothing.
std::string decodeReportText(std::string_view bytes, bool mayBeCut = false);

} // namespace vek
