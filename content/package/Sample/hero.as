// The hero walks where the arrow keys point. Its body is kinematic: it does
// not fall, and it pushes the crates aside.

// Animation directions: up, left, down, right.
const uint UP = 0;
const uint LEFT = 1;
const uint DOWN = 2;
const uint RIGHT = 3;

void Update(SceneObject@+ self, uint timeMS)
{
	AnimatedSceneObject@ hero = cast<AnimatedSceneObject>(self);
	if (hero is null)
		return;

	float x = 0;
	float y = 0;
	if (Engine.keydown(KEY_LEFT)) { x -= 1; hero.Direction = LEFT; }
	if (Engine.keydown(KEY_RIGHT)) { x += 1; hero.Direction = RIGHT; }
	if (Engine.keydown(KEY_UP)) { y -= 1; hero.Direction = UP; }
	if (Engine.keydown(KEY_DOWN)) { y += 1; hero.Direction = DOWN; }

	// Physics units a second.
	const float speed = self.get_attribute_float("speed");
	self.Physics.Velocity = vector2df(x * speed, y * speed);

	const string animation = (x != 0 || y != 0) ? "hero_walk.gani" : "hero_idle.gani";
	if (hero.Animation != animation)
		hero.set_animation(animation);
}
