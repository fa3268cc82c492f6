# Writes the introspection XML (IN) as a C++ string constant (OUT).
file(READ ${IN} text)
file(WRITE ${OUT} "// Made at build time from org.tallowmere.Switch1.xml.\n#pragma once\n\n"
  "namespace plat::dbus {\ninline constexpr const char* kSwitchInterfaceXml = R\"xml(${text})xml\";\n}\n")
