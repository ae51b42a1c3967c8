#pragma once
// The script face of the GUI wrappers: the enum EGUIType, the global "GUI"
// of type "GUIEngine", collections and the three element types. The
// application registers the object types "GUIEngine" and "GUICollection"
// itself, then calls these in the order below, the GameEngine and camera
// APIs between the first and the second.

namespace AngelScript {
class asIScriptEngine;
}

namespace orv::script {

//! EGUIType and the object types "GUIElement", "GUIImage", "GUIStaticText".
void registerGUITypes(AngelScript::asIScriptEngine* engine);
//! The GUIEngine methods, the global "GUI", then the collection's API.
void registerGUIEngineAPI(AngelScript::asIScriptEngine* engine);
//! The methods of the three element types, then the casts between them.
void registerGUIMethods(AngelScript::asIScriptEngine* engine);

} // namespace orv::script
