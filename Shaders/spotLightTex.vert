#version 330 compatibility

// The city's cells: textured quads lit by the ten spot lights in eye space.
//
// Every face of a cell is flat and axis-aligned, so the vertex stage can
// decide for the whole face which lights can reach it at all, and none
// when it lies entirely in the fog; the fragment stage then visits only
// those lights. Every vertex of a face comes to the same answer: the face is
// known from the vertex's normal and its place along that normal, and the
// rest of its extent is the cell's box. The tests are conservative: a
// light that might reach the face stays on. What the fragment stage needs
// from the uniforms or the face alone is worked out here too, once per
// vertex instead of once per block of pixels.
uniform mat4 mvMatrix;
uniform mat4 pMatrix;
uniform mat3 normalMatrix;
uniform float fog_start;
uniform float fog_end;
uniform vec4 lightPos[10];
uniform vec3 spotDir[10];
uniform float spotCosCutoff[10];

in vec4 vVertex;
in vec3 vNormal;
in vec2 inTextCoords;

out vec3 eyePosition;
flat out vec3 eyeNormal;  // a face's normal is the same at every pixel
out vec2 texCoord;
flat out int lightMask;   // bit i: light i may reach this face; none beyond the fog
// What the fragment stage would otherwise work out again for every block of
// pixels, from the uniforms or the face alone. A cone holds its unit axis and
// its cutoff, both times its soft-rim scale (full strength a quarter of the
// way into the cone), so a fragment's cone strength is one dot product away.
flat out vec4 headCone0;
flat out vec4 headCone1;
// x: the head lights' height over the face's plane (0 while they stand
// apart); y: the plane's distance from the eye; z: 1 / the fog's depth.
flat out vec3 faceTowards;

// Every cell fits in 25 to each side of its origin and 0 to 30 up.
const vec3 BOX_LOW = vec3(-25.0, 0.0, -25.0);
const vec3 BOX_HIGH = vec3(25.0, 30.0, 25.0);

// Whether a cone (apex, unit axis, cosine of the half angle), given in the
// cell's own coordinates, can light any point of the box low..high.
bool reachesBox(vec3 apex, vec3 axis, float cosAngle, vec3 low, vec3 high)
{
    float sinAngle = sqrt(max(1.0 - cosAngle * cosAngle, 0.0));
    if (axis.y < -0.99999) {
        // Straight down: the lit part of the box lies below the apex, and
        // the cone is widest at the box's lowest point; compare that disc
        // with the box's ground rectangle. The margin covers an axis that
        // leans by up to the test's 0.0045 radians.
        float drop = apex.y - low.y;
        float reach = max(drop, 0.0) * (sinAngle / max(cosAngle, 0.0001) + 0.005) + 0.01;
        vec2 outside = max(max(low.xz - apex.xz, apex.xz - high.xz), vec2(0.0));
        return drop > -0.01 && dot(outside, outside) <= reach * reach;
    }
    vec3 centre = 0.5 * (low + high);
    vec3 halfSize = 0.5 * (high - low);
    float radius = length(halfSize) + 0.01;
    vec3 v = centre - apex;
    float lengthSq = dot(v, v);
    if (lengthSq <= radius * radius)
        return true;
    float along = dot(v, axis);
    float across = sqrt(max(lengthSq - along * along, 0.0));
    // Distance from the sphere's centre to the cone's surface; behind the
    // apex the cone cannot reach.
    float gap = cosAngle * across - along * sinAngle;
    return gap <= radius && along >= -radius;
}

// Light i's cone as the fragment stage takes it (see headCone0).
vec4 scaledCone(int i)
{
    float rim = 1.0 / (0.25 - 0.25 * spotCosCutoff[i]);
    return vec4(normalize(spotDir[i]) * rim, spotCosCutoff[i] * rim);
}

void main()
{
    vec4 eye = mvMatrix * vVertex;
    eyePosition = eye.xyz;
    eyeNormal = normalize(normalMatrix * vNormal);
    texCoord = inTextCoords;
    gl_Position = pMatrix * eye;

    // The face: the cell's box, pressed flat onto this vertex's plane.
    vec3 along = abs(vNormal);
    vec3 low = mix(BOX_LOW, vVertex.xyz, along);
    vec3 high = mix(BOX_HIGH, vVertex.xyz, along);
    float facePlane = dot(vNormal, vVertex.xyz);

    // The cells' matrices only turn and move, so the transpose undoes the turn.
    mat3 turn = mat3(mvMatrix);
    mat3 unturn = transpose(turn);
    vec3 origin = mvMatrix[3].xyz;
    vec3 centre = 0.5 * (low + high);
    float radius = length(0.5 * (high - low));
    bool fullyFogged = length(origin + turn * centre) - radius - 0.01 >= fog_end;
    int mask = 0;
    for (int i = 0; i < 10; ++i) {
        vec3 apex = unturn * (lightPos[i].xyz - origin);
        vec3 axis = normalize(unturn * spotDir[i]);
        // A light behind the face's plane lights none of it.
        bool inFront = dot(vNormal, apex) - facePlane > -0.001;
        if (inFront && reachesBox(apex, axis, spotCosCutoff[i], low, high))
            mask |= 1 << i;
    }
    bool together = lightPos[0].xyz == lightPos[1].xyz;
    // The moon and, standing together, the head lights are added to every
    // face anyway: the moon as the lighting loop's first pass, the head
    // lights before the loop.
    lightMask = fullyFogged ? 0 : mask & (together ? ~7 : ~4);
    headCone0 = scaledCone(0);
    headCone1 = scaledCone(1);
    float plane = dot(eyeNormal, eyePosition);
    float head = together ? max(dot(eyeNormal, lightPos[0].xyz) - plane, 0.0) : 0.0;
    faceTowards = vec3(head, plane, 1.0 / max(fog_end - fog_start, 0.0001));
}
