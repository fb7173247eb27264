#version 330 compatibility

// The city's cells: textured quads lit by the ten spot lights in eye space.
//
// Every cell is one draw with its own mvMatrix, so the vertex stage can
// decide for the whole cell which lights can reach it at all and whether
// it lies entirely in the fog. The fragment stage then skips that work for
// the whole cell, which keeps the software rasteriser at frame rate. The
// tests are conservative: a light that might reach the cell stays on.
uniform mat4 mvMatrix;
uniform mat4 pMatrix;
uniform mat3 normalMatrix;
uniform float fog_end;
uniform vec4 lightPos[10];
uniform vec3 spotDir[10];
uniform float spotCosCutoff[10];

in vec4 vVertex;
in vec3 vNormal;
in vec2 inTextCoords;

out vec3 eyePosition;
out vec3 eyeNormal;
out vec2 texCoord;
flat out int lightMask;   // bit i: light i may reach this cell
flat out int fullyFogged; // 1: the whole cell lies beyond the fog's end

// Every cell fits in 25 to each side of its origin and 0 to 30 up.
const float HALF_SIDE = 25.0;
const float TOP = 30.0;
const vec3 CELL_CENTRE = vec3(0.0, TOP * 0.5, 0.0);
const float CELL_RADIUS = 40.0;  // bounds that box

// Whether a cone (apex, unit axis, cosine of the half angle), given in the
// cell's own coordinates, can light any point of the cell's box.
bool reachesCell(vec3 apex, vec3 axis, float cosAngle)
{
    float sinAngle = sqrt(max(1.0 - cosAngle * cosAngle, 0.0));
    if (axis.y < -0.999) {
        // Straight down: the lit ground is a disc under the apex, widest at
        // the cell's floor; compare it with the cell's square.
        float reach = max(apex.y, 0.0) * sinAngle / max(cosAngle, 0.0001);
        vec2 outside = max(abs(apex.xz) - vec2(HALF_SIDE), vec2(0.0));
        return dot(outside, outside) <= reach * reach;
    }
    vec3 v = CELL_CENTRE - apex;
    float lengthSq = dot(v, v);
    if (lengthSq <= CELL_RADIUS * CELL_RADIUS)
        return true;
    float along = dot(v, axis);
    float across = sqrt(max(lengthSq - along * along, 0.0));
    // Distance from the sphere's centre to the cone's surface; behind the
    // apex the cone cannot reach.
    float gap = cosAngle * across - along * sinAngle;
    return gap <= CELL_RADIUS && along >= -CELL_RADIUS;
}

void main()
{
    vec4 eye = mvMatrix * vVertex;
    eyePosition = eye.xyz;
    eyeNormal = normalMatrix * vNormal;
    texCoord = inTextCoords;
    gl_Position = pMatrix * eye;

    // The cells' matrices only turn and move, so the transpose undoes the turn.
    mat3 turn = mat3(mvMatrix);
    mat3 unturn = transpose(turn);
    vec3 origin = mvMatrix[3].xyz;
    fullyFogged = length(origin + turn * CELL_CENTRE) - CELL_RADIUS >= fog_end ? 1 : 0;
    int mask = 0;
    for (int i = 0; i < 10; ++i) {
        vec3 apex = unturn * (lightPos[i].xyz - origin);
        vec3 axis = normalize(unturn * spotDir[i]);
        if (reachesCell(apex, axis, spotCosCutoff[i]))
            mask |= 1 << i;
    }
    lightMask = fullyFogged == 1 ? 0 : mask;
}
