#include "texture.h"

#include <cstring>

#include "bmp_reader.h"
#include "byte_source.h"
#include "gl_api.h"

bool Texture::Create(const char* path) {
    Release();
    std::strncpy(name_, path, sizeof name_ - 1);
    name_[sizeof name_ - 1] = '\0';
    GLuint generated = 0;
    glGenTextures(1, &generated);
    glName_ = generated + 1;
    glBindTexture(GL_TEXTURE_2D, glName_ - 1);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLfloat>(GL_REPEAT));
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLfloat>(GL_REPEAT));
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLfloat>(GL_LINEAR));
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLfloat>(GL_LINEAR_MIPMAP_NEAREST));
    return true;
}

void Texture::Release() {
    if (glName_ == 0) return;
    const GLuint held = glName_ - 1;
    glDeleteTextures(1, &held);
    glName_ = 0;
}

void Texture::Bind() { glBindTexture(GL_TEXTURE_2D, glName_ - 1); }

bool Texture::LoadBMP(const char* path) {
    Create(path);
    HandOffImage image;
    {
        std::unique_ptr<ByteSource> file = OpenSequentialFile(path);
        if (!file) return false;
        const bool read = ReadHandOffBitmap(*file, image);
        width_ = image.width;
        height_ = image.height;
        if (!read) return false;
    }  // the file is closed before the upload
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width_, height_, GL_BGR_EXT, GL_UNSIGNED_BYTE, image.pixels.data());
    return true;
}
