# SPDX-License-Identifier: MIT
# The program's D-Bus interfaces, generated from their XML in src/runtime/qt/tray/dbus by Qt's
# qdbusxml2cpp: adaptors for the objects it exports, a proxy for the server it calls. The
# program and the fuzz targets both build them.
#   quorvel_dbus_sources(VAR): appends the generated sources and headers to VAR; the headers are
#   in the current binary folder.
function(quorvel_dbus_sources var)
  set(xml ${PROJECT_SOURCE_DIR}/src/runtime/qt/tray/dbus)
  set(generated)
  qt_add_dbus_adaptor(generated ${xml}/org.kde.StatusNotifierItem.xml
    runtime/qt/tray/status_notifier_item.h quorvel::runtime::qt::StatusNotifierItem
    statusnotifieritem_adaptor StatusNotifierItemAdaptor)
  qt_add_dbus_adaptor(generated ${xml}/com.canonical.dbusmenu.xml
    runtime/qt/tray/dbus_menu_exporter.h quorvel::runtime::qt::DBusMenuExporter
    dbusmenu_adaptor DBusMenuAdaptor)
  set_source_files_properties(${xml}/org.freedesktop.Notifications.xml PROPERTIES
    CLASSNAME NotificationsProxy NO_NAMESPACE ON)
  qt_add_dbus_interface(generated ${xml}/org.freedesktop.Notifications.xml notifications_proxy)
  set(${var} ${${var}} ${generated} PARENT_SCOPE)
endfunction()
