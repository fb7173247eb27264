#include "vehicle/MoveableObject.h"

// The one include from a folder above: the design has the van's Space key
// deliver, so the van calls the job manager's deliver.
#include "game/JobManager.h"
#include "platform/Input.h"
#include "platform/Keys.h"

#include <cmath>

namespace {

constexpr float Q = 1.5707964f;  // pi / 2 in single precision

// How the van drives, in units and seconds. Up accelerates; Down brakes
// while the van rolls forward and accelerates backwards from rest or while
// reversing. After each step the rolling resistance takes over until a key
// is pressed again.
constexpr float ACCELERATION = 80.0f;
constexpr float BRAKING = 200.0f;
constexpr float REVERSING = 80.0f;
constexpr float ROLLING_RESISTANCE = 10.0f;
constexpr float TOP_SPEED = 150.0f;
constexpr float TOP_REVERSE_SPEED = 30.0f;
// Steering grips fully from this speed on and proportionally below it.
constexpr float FULL_GRIP_SPEED = 100.0f;
// The van's heading turns by Q * TURN_RATE * grip per second while a
// steering key is held.
constexpr float TURN_RATE = 50.0f;
// The front wheels turn by STEERING_RATE a second (times the grip) towards
// STEERING_LIMIT either way, and straighten at the same rate when let go.
constexpr float STEERING_RATE = 20.0f;
constexpr float STEERING_LIMIT = 10.0f;
// The van turns about a point this far behind the van point.
constexpr float PIVOT_BEHIND = 8.0f;

// The van's motion is worked out in steps no longer than an ordinary frame:
// the collision probes only look where a step lands, and a step of a long
// frame (a stall, a debugger, a dragged window) would carry the van through
// a 50-unit block and swing the steering far past its limit. Frames up to
// this length are one step, as they always were.
constexpr float LONGEST_STEP = 0.1f;
// A frame longer than this is a stall, not play: the van drives this much
// of it and no more, which also bounds the work such a frame costs.
constexpr float LONGEST_DRIVE = 10.0f;

bool held(keys::KeyPair pair) { return platform::keyDown(pair.arrow) == 1 || platform::keyDown(pair.letter) == 1; }

}  // namespace

MoveableObject::MoveableObject(Camera camera, City* city, const std::string& modelFile, SpotLights* lights)
    : chaseCamera(camera), city(*city), model(modelFile) {
    maxChaseDistance = 25.0f;
    chaseDistance = 25.0f;
    modelFrame.moveForward(maxChaseDistance);
    modelFrame.moveUp(-7.4f);
    modelFrame.moveRight(0.0f);
    model.initShading(lights);
    speed = 0.0f;
    acceleration = 0.0f;
    steer = 0.0f;
}

glm::vec3 MoveableObject::position() const {
    const ReferenceFrame& f = chaseCamera.frame();
    return f.origin() + chaseDistance * f.forward() - 7.0f * f.up();
}

glm::vec3 MoveableObject::headlightPosition() const {
    const ReferenceFrame& f = chaseCamera.frame();
    return f.origin() + (chaseDistance + model.maxZ()) * f.forward();
}

bool MoveableObject::blockedAtCamera() const {
    const glm::vec3 o = chaseCamera.frame().origin();
    return city.isBlocked(o.x, o.z);
}

void MoveableObject::move(glm::vec3* out, float dt, JobManager* jobManager) {
    chaseCamera.moveForward(chaseDistance);
    if (dt > LONGEST_STEP) {
        const float driven = std::fmin(dt, LONGEST_DRIVE);
        const int steps = static_cast<int>(std::ceil(driven / LONGEST_STEP));
        const float step = driven / static_cast<float>(steps);
        for (int n = 0; n < steps; ++n) {
            // The first wall ends the frame's drive, as one long step would
            // have: the van stops there instead of bumping on into it blind.
            if (driveStep(step)) break;
        }
    } else {
        driveStep(dt);
    }

    // Space is read here with the driving keys, as the design has it; the
    // job manager decides what is delivered.
    if (platform::keyDown(keys::DELIVER) == 1 && jobManager) {
        const glm::vec3 o = chaseCamera.frame().origin();
        jobManager->deliver(o.x, o.z);
    }

    const glm::vec3 p = chaseCamera.frame().origin();
    chaseCamera.moveForward(-chaseDistance);
    *out = p;
}

// Starts and ends with the camera's origin at the van point.
bool MoveableObject::driveStep(float dt) {
    const glm::vec3 savedOrigin = chaseCamera.frame().origin();
    const glm::vec3 savedForward = chaseCamera.frame().forward();

    // Down wins over Up. Without keys the rolling resistance of last frame
    // stays.
    if (held(keys::ACCELERATE)) acceleration = ACCELERATION;
    if (held(keys::BRAKE_AND_REVERSE)) {
        acceleration = -BRAKING;
        if (speed <= 0.0f) acceleration = -REVERSING;
    }
    speed += acceleration * dt;
    if (speed < -TOP_REVERSE_SPEED) {
        speed = -TOP_REVERSE_SPEED;
    } else if (speed > TOP_SPEED) {
        speed = TOP_SPEED;
    }
    chaseCamera.moveForward(0.5f * speed * dt);

    if (speed > 0.0f) {
        acceleration = -ROLLING_RESISTANCE;
    } else if (speed < 0.0f) {
        acceleration = ROLLING_RESISTANCE;
    }
    const float s = speed < 0.0f ? -1.0f : 1.0f;

    const float steerStep = dt * STEERING_RATE;
    float k = speed / FULL_GRIP_SPEED;
    if (k > 1.0f) {
        k = 1.0f;
    } else if (k < 0.0f) {
        k = -k;
    }

    // The model turns against the camera so it shows the steering relative
    // to the view.
    chaseCamera.moveForward(-PIVOT_BEHIND);
    const bool left = held(keys::STEER_LEFT);
    if (left) {
        if (speed != 0.0f) chaseCamera.rotateLocal(Q * k * dt * TURN_RATE, 0.0f, -s, 0.0f);
        if (steer < STEERING_LIMIT && speed != 0.0f) {
            modelFrame.rotateLocal(Q * steerStep * k, 0.0f, -1.0f, 0.0f);
            chaseCamera.rotateLocal(Q * steerStep * k, 0.0f, 1.0f, 0.0f);
            steer += steerStep * k;
        }
    } else if (steer > 0.0f) {
        modelFrame.rotateLocal(Q * steerStep, 0.0f, 1.0f, 0.0f);
        chaseCamera.rotateLocal(Q * steerStep, 0.0f, -1.0f, 0.0f);
        steer -= steerStep;
    }
    if (!left && held(keys::STEER_RIGHT)) {
        if (speed != 0.0f) chaseCamera.rotateLocal(Q * k * dt * TURN_RATE, 0.0f, s, 0.0f);
        if (steer > -STEERING_LIMIT && speed != 0.0f) {
            modelFrame.rotateLocal(Q * steerStep * k, 0.0f, 1.0f, 0.0f);
            chaseCamera.rotateLocal(Q * steerStep * k, 0.0f, -1.0f, 0.0f);
            steer -= steerStep * k;
        }
    } else if (steer < 0.0f) {
        modelFrame.rotateLocal(Q * steerStep, 0.0f, -1.0f, 0.0f);
        chaseCamera.rotateLocal(Q * steerStep, 0.0f, 1.0f, 0.0f);
        steer += steerStep;
    }
    chaseCamera.moveForward(PIVOT_BEHIND);

    const bool hit = collide(savedOrigin, savedForward);
    adjustChaseDistance();
    return hit;
}

bool MoveableObject::collide(const glm::vec3& savedOrigin, const glm::vec3& savedForward) {
    const float minX = model.minX(), maxX = model.maxX(), minZ = model.minZ(), maxZ = model.maxZ();
    // The footprint's corners, then its axis points; a 0 offset is no move.
    const float probes[8][2] = {{minX, minZ}, {maxX, minZ}, {minX, maxZ}, {maxX, maxZ},
                                {0.0f, minZ}, {0.0f, maxZ}, {minX, 0.0f}, {maxX, 0.0f}};
    bool hit = false;
    for (const auto& probe : probes) {
        const float x = probe[0], z = probe[1];
        if (z != 0.0f) chaseCamera.moveForward(z);
        if (x != 0.0f) chaseCamera.moveRight(x);
        if (blockedAtCamera()) {
            // Back to where the frame started; the probe's return move below
            // then throws the van away from the wall it touched.
            chaseCamera.frame().setForward(savedForward.x, savedForward.y, savedForward.z);
            chaseCamera.frame().setOrigin(savedOrigin.x, savedOrigin.y, savedOrigin.z);
            speed = 0.0f;
            hit = true;
        }
        if (z != 0.0f) chaseCamera.moveForward(-z);
        if (x != 0.0f) chaseCamera.moveRight(-x);
    }
    return hit;
}

void MoveableObject::adjustChaseDistance() {
    const glm::vec3 keptForward = modelFrame.forward();
    modelFrame.setForward(0.0f, 0.0f, -1.0f);
    chaseCamera.moveForward(-chaseDistance);
    // The distance walks between minZ and maxChaseDistance in 0.25 steps;
    // counting them keeps the walk finite even where a 0.25 step no longer
    // changes the float (a huge model, a van far off the map).
    constexpr int maxSteps = static_cast<int>(4.0f * (25.0f + MAX_MODEL_EXTENT)) + 1;
    int steps = 0;
    if (blockedAtCamera()) {
        while (blockedAtCamera() && chaseDistance > model.minZ() && steps++ < maxSteps) {
            chaseDistance -= 0.25f;
            chaseCamera.moveForward(0.25f);
            modelFrame.moveForward(-0.25f);
        }
    } else {
        while (!blockedAtCamera() && chaseDistance < maxChaseDistance && steps++ < maxSteps) {
            chaseDistance += 0.25f;
            chaseCamera.moveForward(-0.25f);
            modelFrame.moveForward(0.25f);
        }
    }
    chaseCamera.moveForward(chaseDistance);
    modelFrame.setForward(keptForward.x, keptForward.y, keptForward.z);
}

void MoveableObject::draw(const glm::mat4& mv, const glm::mat4& p, const glm::mat3& n) {
    const Spot* under = city.spotAt(position());
    const Spot spot = under ? *under : Spot();
    model.setModelMatrix(chaseCamera.frame().objectMatrix(false));
    model.draw(mv, p, n, spot, steer * 3.0f, position());
}
