# form_screenshots: pictures of the input form (two window sizes, a dark
# palette, 200 % scale) and of two graph windows, written by
# tools/form_screenshots.sh into docs/screenshots. A tool, not a test.
add_executable(form_screenshots ${CMAKE_CURRENT_LIST_DIR}/form_screenshots.cpp)
target_link_libraries(form_screenshots PRIVATE vek_editor)
add_dependencies(form_screenshots vek)
set_target_properties(form_screenshots PROPERTIES EXCLUDE_FROM_ALL ON)
