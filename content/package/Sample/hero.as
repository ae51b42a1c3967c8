// The hero: a body that gravity and the ground hold. The arrow keys walk it
// left and right, Up jumps when it stands on something.

// Animation directions: up, left, down, right.
const uint LEFT = 1;
const uint RIGHT = 3;

// Pixels per physics unit, as the physics world has it unless a script changes it.
const float PIXELS_PER_UNIT = 16;
// Half the hero's width and height, physics units.
const vector2df HALF_SIZE(0.75f, 1);
// A contact this far below the hero's middle, physics units, is under its feet.
const float FEET_BELOW = 0.5f;
// Falling faster than this, physics units a second, the hero stands on nothing.
const float FALLING = 1;

// The objects the hero stands on: a contact from below puts one here, the
// end of the contact takes it out again. Only one object of a contact hears
// its end, so a jump and a fall let go of them all: what holds the hero up
// again tells so at the next step.
array<SceneObject@> footing;

void Created(SceneObject@+ self)
{
	@Engine.Player = self;
	@Camera.Follow = self;
	// The camera never looks past the world's edges: the tile map covers
	// (0, 0) to (960, 768) pixels. The limit stops a pixel short on the right
	// and at the bottom, where the software renderer leaves the last column
	// and row of a picture out.
	Camera.ViewLimit = rectf(0, 0, 959, 767);
	Camera.UseViewLimit = true;

	// No friction, so that walking into a wall in the air does not hold the
	// hero up there; upright whatever it bumps into.
	self.Physics.add_collision_box(HALF_SIZE, vector2df(0, 0), 0.0f, 1.0f, 0.0f);
	self.Physics.FixedRotation = true;
}

int footingIndex(SceneObject@+ other)
{
	for (uint i = 0; i < footing.length(); ++i)
		if (footing[i] is other)
			return int(i);
	return -1;
}

bool OnSolveContact(SceneObject@+ self, SceneObject@+ other, vector2df normal, vector2df self_point,
	vector2df other_point)
{
	// A floor pushes up or down, not sideways, and touches the hero low.
	const bool upright = normal.Y > 0.7f || normal.Y < -0.7f;
	const bool floor = upright && self_point.Y > self.Position.Y / PIXELS_PER_UNIT + FEET_BELOW;
	if (floor && footingIndex(other) < 0)
		footing.insertLast(other);
	return true;
}

void OnEndContact(SceneObject@+ self, SceneObject@+ other)
{
	const int i = footingIndex(other);
	if (i >= 0)
		footing.removeAt(uint(i));
}

void Update(SceneObject@+ self, uint timeMS)
{
	AnimatedSceneObject@ hero = cast<AnimatedSceneObject>(self);
	if (hero is null)
		return;

	float x = 0;
	if (Engine.keydown(KEY_LEFT)) { x -= 1; hero.Direction = LEFT; }
	if (Engine.keydown(KEY_RIGHT)) { x += 1; hero.Direction = RIGHT; }

	// Physics units a second; gravity keeps its hold on the fall.
	vector2df velocity = self.Physics.Velocity;
	velocity.X = x * self.get_attribute_float("speed");
	if (velocity.Y > FALLING)
		footing.resize(0);
	if (Engine.keydown(KEY_UP) && footing.length() > 0)
	{
		velocity.Y = -self.get_attribute_float("jump");
		footing.resize(0);
	}
	self.Physics.Velocity = velocity;

	const string animation = x != 0 ? "hero_walk.gani" : "hero_idle.gani";
	if (hero.Animation != animation)
		hero.set_animation(animation);
}
