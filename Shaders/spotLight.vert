#version 330 compatibility

// The van: per-vertex colours lit by the ten spot lights. The light
// positions arrive relative to the van, in axes aligned with the view (x
// and z) and as world heights (y); the vertex is expressed the same way.
uniform mat4 mvMatrix;
uniform mat4 pMatrix;
uniform mat3 normalMatrix;

in vec4 vVertex;
in vec3 vNormal;
in vec4 vColor;

out vec3 vanRelative;
out vec3 eyeNormal;
out vec3 eyePosition;
out vec4 color;

void main()
{
    vec4 eye = mvMatrix * vVertex;
    // The model's turn in the view, without its place: the offset from the
    // van point in the same axes as the light positions.
    vec3 turned = mat3(mvMatrix) * vVertex.xyz;
    vanRelative = vec3(turned.x, vVertex.y, turned.z);
    eyeNormal = normalize(normalMatrix * vNormal);
    eyePosition = eye.xyz;
    color = vColor;
    gl_Position = pMatrix * eye;
}
