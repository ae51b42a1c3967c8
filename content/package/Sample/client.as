// The package's client script: builds the world when the package starts.

void Created(SceneObject@+ self)
{
	// Down the screen, in physics units a second squared.
	Physics.Gravity = vector2df(0, 20);
	Engine.load_level("sample_level.xml");

	GUIStaticText@ help = GUI.create_statictext("Arrow keys: walk, Up: jump", recti(12, 10, 300, 30));
	help.Color = SColor(0xFFFFFFFF);
}
