# The main window and the About window.
add_library(tq612_window STATIC
  TFCOMM.h TFCOMM.cpp TFCOMM_Layout.cpp TFCOMM_Diagnostics.cpp TFCOMM_Menus.cpp
  TFCOMM_Record.cpp TFCOMM_Chart.cpp TFCOMM_Files.cpp
  TFCOMM_Link.cpp CableFramerHost.h
  AboutForm.h AboutForm.cpp
  BevelPanel.h BevelPanel.cpp
  CompactCheckStyle.h CompactCheckStyle.cpp
  LcdDot.h LcdDot.cpp
  Icons.h Icons.cpp
  FileDialogs.h FileDialogs.cpp
  WidgetFactory.h WidgetFactory.cpp
)
target_include_directories(tq612_window PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tq612_window PUBLIC tq612_shell tq612_font Qt6::Widgets Qt6::Charts Qt6::PrintSupport)
target_link_libraries(tq612_window PUBLIC tq612_chart tq612_record tq612_display tq612_files)
target_link_libraries(tq612_window PUBLIC tq612_link)
