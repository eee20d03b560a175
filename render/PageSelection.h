#pragma once
// The page-selection expression: numbers, ranges (3-5, 4-, -3) and the words
// ALL, EVEN and ODD (or A, E, O; R is accepted and selects nothing of its
// own), separated by commas, letters in either case.
#include <cstdint>
#include <string>

namespace tal {

// Raises EConvertError ("'X' is not a valid integer value", the first
// faulty part as typed) when a part is no page number, range or word.
void ValidatePageSelection(const std::string& selection);

// Whether the selection names page PageNo; a faulty part that is reached
// raises EConvertError as ValidatePageSelection does.
bool PageSelectionNames(const std::string& selection, std::int32_t PageNo);

// How many of the pages 1 to PageCount the selection names.
std::int32_t CountSelectedPages(const std::string& selection, std::int32_t PageCount);

// Before a conversion of a report of PageCount pages: an empty selection
// passes; a faulty one raises EConvertError; one that names none of the
// pages raises Exception saying so. A report without pages has nothing to
// select and passes.
void CheckPageSelection(const std::string& selection, std::int32_t PageCount);

}  // namespace tal
