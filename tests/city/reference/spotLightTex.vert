#version 330 compatibility

// Reference for the city's lighting: the plainest form of the picture the
// game's lighting program must give. Nothing is culled or skipped.
uniform mat4 mvMatrix;
uniform mat4 pMatrix;
uniform mat3 normalMatrix;

in vec4 vVertex;
in vec3 vNormal;
in vec2 inTextCoords;

out vec3 eyePosition;
out vec3 eyeNormal;
out vec2 texCoord;

void main()
{
    vec4 eye = mvMatrix * vVertex;
    eyePosition = eye.xyz;
    eyeNormal = normalMatrix * vNormal;
    texCoord = inTextCoords;
    gl_Position = pMatrix * eye;
}
