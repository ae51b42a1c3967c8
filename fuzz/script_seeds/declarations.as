namespace game { enum EKind { EK_NONE, EK_BALL = 3, EK_WALL = EK_BALL + 1 } const int LIMIT = 16; }
typedef float real;
funcdef bool FLess(int, int);
interface IShape { float area() const; }
mixin class MCounted { int count = 0; void bump() { count++; } }
shared class Point { float x = 0, y = 0; Point() {} Point(float px, float py = 0.0f) { x = px; y = py; } }
class Box : IShape, MCounted { Point@ corner = Point(1); real w = 2; real h { get const { return w; } set { w = value; } } float area() const override { return w * h; } }
class Wall : Box { float area() const override { return Box::area() * 2; } ~Wall() {} }
import void remote(int n = 1) from "other";
int scaled(int v, int by = game::LIMIT, const string &in why = "none") { return v * by; }
int total = scaled(2) + scaled(3, 4);
void Created(SceneObject@+ self) { Wall w; w.h = 3; w.bump(); total += int(w.area()) + game::EK_WALL; IShape@ s = cast<IShape>(w); }
