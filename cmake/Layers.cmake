# The rooms and the one-way arrows between them (ARCHITECTURE.md): each
# library and the libraries it may link directly. A library that links one
# not listed, or any Qt library outside the window, stops the configure step,
# so an arrow that runs back up is caught before anything is built. (An
# include across rooms is caught by the compiler: each library's headers are
# reachable only by what links it.)
set(FLYBACK_ROOMS
  "flyback_version:"
  "flyback_portable_math:"
  "flyback_runtime:flyback_portable_math"
  "flyback_design:flyback_runtime"
  "flyback_numtext:flyback_design"
  "flyback_record:flyback_numtext"
  "flyback_report:flyback_record flyback_version"
  "flyback_mains:flyback_runtime"
  "flyback_catalogue_reader:flyback_runtime"
  "flyback_core_geometry:flyback_runtime"
  "flyback_whole_file:"
  "flyback_catalogue:flyback_catalogue_reader flyback_whole_file flyback_core_geometry"
  "flyback_insulation:flyback_catalogue_reader"
  "flyback_capacitance:flyback_portable_math"
  "flyback_winding:flyback_record flyback_catalogue flyback_insulation flyback_capacitance"
  "flyback_plan_sheet:flyback_winding flyback_report flyback_conditions flyback_cross_regulation"
  "flyback_drawing:flyback_winding flyback_plan_sheet flyback_report"
  "flyback_pins:flyback_runtime flyback_winding"
  "flyback_build_sheet:flyback_winding flyback_plan_sheet flyback_drawing flyback_pins"
  "flyback_design_file:flyback_winding flyback_plan_sheet flyback_pins flyback_conditions flyback_version"
  "flyback_cross_regulation:flyback_winding"
  "flyback_spice:flyback_winding flyback_cross_regulation flyback_version"
  "flyback_advise:flyback_winding flyback_plan_sheet flyback_drawing flyback_jsonl"
  "flyback_sweep:flyback_winding flyback_drawing flyback_conditions"
  "flyback_conditions:flyback_winding"
  "flyback_core_letters:flyback_catalogue flyback_core_geometry flyback_drawing flyback_record"
  "flyback_jsonl:flyback_numtext"
  "flyback_details:flyback_jsonl flyback_record"
  "flyback_cli:flyback_core_letters flyback_details flyback_mains flyback_catalogue flyback_winding flyback_plan_sheet flyback_drawing flyback_build_sheet flyback_design_file flyback_cross_regulation flyback_spice flyback_advise flyback_sweep flyback_conditions flyback_version flyback_whole_file"
  "flyback_window:flyback_core_letters flyback_record flyback_report flyback_mains flyback_catalogue flyback_winding flyback_plan_sheet flyback_drawing flyback_build_sheet flyback_design_file flyback_spice flyback_advise flyback_sweep flyback_conditions flyback_version flyback_whole_file")

function(flyback_check_layers)
  foreach(room ${FLYBACK_ROOMS})
    string(REPLACE ":" ";" parts "${room}")
    list(GET parts 0 library)
    list(LENGTH parts count)
    set(allowed "")
    if(count GREATER 1)
      list(GET parts 1 allowed)
      separate_arguments(allowed UNIX_COMMAND "${allowed}")
    endif()
    if(NOT TARGET ${library})
      continue()
    endif()
    get_target_property(links ${library} LINK_LIBRARIES)
    if(NOT links)
      set(links "")
    endif()
    foreach(link ${links})
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" link "${link}")
      if(link MATCHES "^Qt6::" AND NOT library STREQUAL "flyback_window")
        message(FATAL_ERROR "${library} links ${link}: only the window uses Qt")
      endif()
      if(link MATCHES "^flyback_" AND NOT link IN_LIST allowed)
        message(FATAL_ERROR "${library} links ${link}, which its room may not use "
                            "(see ARCHITECTURE.md and cmake/Layers.cmake)")
      endif()
    endforeach()
  endforeach()
endfunction()
